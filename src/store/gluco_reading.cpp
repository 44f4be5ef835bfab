#include "store/gluco_reading.h"

namespace meridane {

bool GlucoDetailRecord::IsNonEmpty() const {
  GlucoDetailRecord cmp = *this;
  const GlucoDetailRecord empty;
  cmp.IDNo = empty.IDNo;
  cmp.idx = empty.idx;
  cmp.slot = empty.slot;
  return !(cmp == empty);
}

std::optional<std::string> CodeOutsideList(const GlucoDetailRecord& d) {
  struct Coded {
    const char* name;
    int value, last;  // the list runs from -1 (none chosen) to last
  };
  const Coded coded[] = {{"type", d.type, 3},
                         {"commentOptionsFood", d.commentOptionsFood, 3},
                         {"commentOptionsExercise", d.commentOptionsExercise, 1},
                         {"commentOptionsType", d.commentOptionsType, 1},
                         {"insulinType", d.insulinType, 2},
                         {"intensity", d.intensity, 2}};
  for (const Coded& c : coded)
    if (c.value < -1 || c.value > c.last) return c.name;
  if (d.commentOptions < 0 || d.commentOptions > kAllCommentOptions) return "commentOptions";
  return std::nullopt;
}

}  // namespace meridane
