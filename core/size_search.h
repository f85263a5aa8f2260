#pragma once
// Finding the largest size at which something fits, on a grid of sizes going down from the
// largest allowed one: the largest caption font, for instance. Measuring a size is costly (a
// font at a new size is a new font), so the search starts where the caller expects the answer
// and measures only around it.

#include <functional>

namespace hopper {

struct SizeGrid {
  double top = 0;       // the largest size allowed
  double step = 0.25;   // sizes are top, top - step, top - 2 step, ...
  double smallest = 0;  // sizes at or below this are not tried; it is the answer when none fits
};

// The largest size of `grid` at which `fits` holds, or `grid.smallest` when none above it does:
// the same answer as trying every size from the top down, given that whatever fits at one size
// fits at every smaller one. `guess` is where to start (any size; it is put on the grid).
double LargestFittingSize(const SizeGrid& grid, double guess, const std::function<bool(double)>& fits);

}  // namespace hopper
