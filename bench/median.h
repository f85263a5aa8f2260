#pragma once
// The median of a run of timings; 0 for none.

#include <algorithm>
#include <vector>

namespace bench {

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace bench
