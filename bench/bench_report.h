#pragma once
// One line per measured goal, which scripts/bench.sh gathers into its table:
//   @row <TAB> workload <TAB> product <TAB> floor <TAB> ratio <TAB> goal
// product and floor are printed with their unit; the ratio is product / floor unless the
// goal reads the other way (as "floor/product >= 20").
#include <cstdio>
#include <string>

namespace meridane::bench {

inline void ReportRow(const std::string& workload, double product, double floor,
                      const char* unit, const std::string& goal, bool floorOverProduct = false) {
  const double ratio = floorOverProduct ? floor / product : product / floor;
  std::printf("@row\t%s\t%.2f %s\t%.2f %s\t%.2f\t%s\n", workload.c_str(), product, unit, floor,
              unit, ratio, goal.c_str());
  std::fflush(stdout);
}

}  // namespace meridane::bench
