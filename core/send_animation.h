#pragma once
// After every command the simulation window shows three pictures of an arrow moving towards
// the hopper, one a tick, then empties the picture area and stops its timer.

#include <array>
#include <cstdint>
#include <string_view>

namespace hopper {

// Read from the program's folder each time one is shown.
inline constexpr std::array<std::string_view, 3> kArrowPictures = {"Ar1.bmp", "Ar2.bmp", "Ar3.bmp"};

enum class AnimationEffect {
  Nothing,       // idle: the tick changes nothing
  ShowPicture,   // show `picture` in the animation area
  ClearAndStop,  // empty the area and stop the animation timer
};

struct AnimationStep {
  AnimationEffect effect = AnimationEffect::Nothing;
  std::string_view picture;  // one of kArrowPictures when effect is ShowPicture
};

class SendAnimation {
 public:
  // A command was sent: the next tick shows the first picture again, wherever it was.
  void Restart() { arrowStep_ = 1; }

  // One tick of the animation timer.
  AnimationStep Tick();

  // 1, 2 or 3: the picture the next tick shows; 4: the next tick clears and stops.
  std::uint8_t ArrowStep() const { return arrowStep_; }

 private:
  std::uint8_t arrowStep_ = 0;  // no command sent yet: ticks do nothing
};

}  // namespace hopper
