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

}  // namespace meridane
