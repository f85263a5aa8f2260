#include "platform/serial/resume_notice_win32.h"

#include <windows.h>

namespace hopper {

namespace {

// The callback form of the suspend/resume notification (Windows 8 on), which MinGW's headers
// do not declare: DEVICE_NOTIFY_CALLBACK and DEVICE_NOTIFY_SUBSCRIBE_PARAMETERS.
constexpr DWORD kNotifyByCallback = 2;
using NotifyCallback = ULONG(CALLBACK*)(PVOID context, ULONG type, PVOID setting);
struct NotifySubscription {
  NotifyCallback callback;
  PVOID context;
};

ULONG CALLBACK OnPowerEvent(PVOID context, ULONG type, PVOID) {
  // A wake the user caused comes as PBT_APMRESUMESUSPEND after PBT_APMRESUMEAUTOMATIC; the
  // automatic one alone comes for every wake, so it is the one that counts.
  if (type == PBT_APMRESUMEAUTOMATIC) emit static_cast<ResumeNotice*>(context)->Resumed();
  return 0;
}

}  // namespace

ResumeNotice& ResumeNotice::Instance() {
  // Lives as long as the process: the system may call in until the very end.
  static ResumeNotice* const notice = new ResumeNotice;
  return *notice;
}

ResumeNotice::ResumeNotice() {
  static NotifySubscription subscription{&OnPowerEvent, this};
  // Where the system cannot tell (older Windows, Wine), a wake is noticed as before: by the
  // line failing.
  RegisterSuspendResumeNotification(&subscription, kNotifyByCallback);
}

}  // namespace hopper
