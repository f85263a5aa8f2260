#include "core/send_animation.h"

namespace hopper {

AnimationStep SendAnimation::Tick() {
  if (arrowStep_ >= 1 && arrowStep_ <= 3) {
    const AnimationStep step{AnimationEffect::ShowPicture, kArrowPictures[arrowStep_ - 1]};
    ++arrowStep_;
    return step;
  }
  if (arrowStep_ == 4) return {AnimationEffect::ClearAndStop, {}};
  return {};
}

}  // namespace hopper
