#include "core/link_captions.h"

namespace hopper {

std::optional<StatusCaption> StatusCaptionFor(const LinkEvent& event) {
  using K = LinkEventKind;
  switch (event.kind) {
    case K::Started: return StatusCaption{StatusColour::Blue, kCaptionSwitchOn};
    case K::ReportStarted: return StatusCaption{StatusColour::Blue, {}};
    case K::Ready: return StatusCaption{StatusColour::Blue, kCaptionEnterData};
    case K::Acknowledged: return StatusCaption{StatusColour::Blue, kCaptionSaveComplete};
    case K::SaveSent: return StatusCaption{StatusColour::Blue, kCaptionSaving};
    case K::SaveRefused: return StatusCaption{StatusColour::Red, kCaptionDataError};
    // Part of the frame may have reached the hopper: it needs a reset.
    case K::SaveWriteFailed: return StatusCaption{StatusColour::Red, kCaptionSaveFailed};
    case K::ResponseWatchEnded:
      if (event.ok) return std::nullopt;
      return StatusCaption{StatusColour::Red, kCaptionNoResponse};
    case K::LinkError:
      switch (event.fault) {
        case LinkFault::Checksum: return StatusCaption{StatusColour::Red, kCaptionChecksumError};
        case LinkFault::Communication: return StatusCaption{StatusColour::Red, kCaptionCommunicationError};
        case LinkFault::SaveFailed: return StatusCaption{StatusColour::Red, kCaptionSaveFailed};
      }
      return std::nullopt;
    default: return std::nullopt;
  }
}

}  // namespace hopper
