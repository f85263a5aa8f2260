#include "core/colour_contrast.h"

#include <algorithm>
#include <cmath>

namespace hopper {

namespace {

double Linear(int channel) {
  const double c = std::clamp(channel, 0, 255) / 255.0;
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(Rgb c) { return 0.2126 * Linear(c.red) + 0.7152 * Linear(c.green) + 0.0722 * Linear(c.blue); }

int Mix(int from, int to, int step, int steps) {
  return from + static_cast<int>(std::lround(double(to - from) * step / steps));
}

}  // namespace

double ContrastRatio(Rgb text, Rgb ground) {
  const double a = Luminance(text);
  const double b = Luminance(ground);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

Rgb LightGroundFor(Rgb text, Rgb ground) {
  constexpr int kSteps = 64;
  for (int step = 0; step < kSteps; ++step) {
    const Rgb mixed{Mix(ground.red, 255, step, kSteps), Mix(ground.green, 255, step, kSteps),
                    Mix(ground.blue, 255, step, kSteps)};
    // Only a ground lighter than the text counts: a dark one would turn the colours round.
    if (Luminance(mixed) > Luminance(text) && ContrastRatio(text, mixed) >= kTextContrast) return mixed;
  }
  return kWhite;
}

Rgb TextFor(Rgb ground) { return ContrastRatio(kBlack, ground) >= ContrastRatio(kWhite, ground) ? kBlack : kWhite; }

}  // namespace hopper
