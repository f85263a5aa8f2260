#include "core/size_search.h"

#include <algorithm>
#include <cmath>

namespace hopper {

double LargestFittingSize(const SizeGrid& grid, double guess, const std::function<bool(double)>& fits) {
  // Grid sizes are counted in steps down from the top; `last` is the lowest one above `smallest`.
  if (!(grid.step > 0) || grid.top <= grid.smallest) return grid.smallest;
  const auto size = [&grid](int steps) { return grid.top - grid.step * steps; };
  int last = 0;
  while (size(last + 1) > grid.smallest) ++last;
  int at = std::clamp(static_cast<int>(std::ceil((grid.top - guess) / grid.step - 1e-9)), 0, last);
  if (fits(size(at))) {
    while (at > 0 && fits(size(at - 1))) --at;
    return size(at);
  }
  while (++at <= last)
    if (fits(size(at))) return size(at);
  return grid.smallest;
}

}  // namespace hopper
