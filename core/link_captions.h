#pragma once
// The one table of what the status line says for each event of the setting link, and the
// message of the receive watch. Every text is the hopper tool's own, misspellings included.

#include <optional>
#include <string_view>

#include "core/link_event.h"

namespace hopper {

enum class StatusColour { Blue, Red };

inline constexpr std::string_view kCaptionSwitchOn = "Switch on Kavoo";
inline constexpr std::string_view kCaptionEnterData = "Enter Data (Do not Reset hopper)";
inline constexpr std::string_view kCaptionSaveComplete = "Save complete";
inline constexpr std::string_view kCaptionChecksumError = "Checksum Error,Reset hopper";
inline constexpr std::string_view kCaptionCommunicationError = "Comunication Error,Reset hopper";
inline constexpr std::string_view kCaptionSaveFailed = "Save faild,Reset hopper";
inline constexpr std::string_view kCaptionSaving = "Saving";
inline constexpr std::string_view kCaptionDataError = "Data Error";
inline constexpr std::string_view kCaptionNoResponse = "No Response";

// The receive watch's message: two lines joined by a carriage return.
inline constexpr std::string_view kReceiveWatchMessage =
    "Receive Error perhaps incorrect interface\rswitch to Vorn interface then Restart Hopper";
// Its two lines, for a face that shows them apart.
inline constexpr std::string_view kReceiveWatchProblem = kReceiveWatchMessage.substr(0, 41);
inline constexpr std::string_view kReceiveWatchAdvice = kReceiveWatchMessage.substr(42);
static_assert(kReceiveWatchMessage[41] == '\r');

struct StatusCaption {
  StatusColour colour = StatusColour::Blue;
  std::string_view text;
};

// What the status line shows after `event`; nothing when the event leaves it as it is.
std::optional<StatusCaption> StatusCaptionFor(const LinkEvent& event);

}  // namespace hopper
