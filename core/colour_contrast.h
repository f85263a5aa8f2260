#pragma once
// How readable a text colour is on the colour behind it, as a contrast ratio from 1:1 (the
// same colour) to 21:1 (black on white), and the grounds that make the tool's fixed text
// colours readable on any desktop theme.

namespace hopper {

struct Rgb {
  int red = 0;  // 0..255 each
  int green = 0;
  int blue = 0;
  bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
// What ordinary-size text needs to be read comfortably.
inline constexpr double kTextContrast = 4.5;

double ContrastRatio(Rgb text, Rgb ground);

// `ground` lightened toward white just far enough for `text` to reach kTextContrast on it; a
// ground that already does is kept. A colour that no light ground carries that far (pure red
// reaches 4:1 on white) gets white, the best a light ground does.
Rgb LightGroundFor(Rgb text, Rgb ground);

// Black or white, whichever reads better on `ground`.
Rgb TextFor(Rgb ground);

}  // namespace hopper
