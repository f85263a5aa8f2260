#include "platform/station/station_unit.h"

namespace hopper {

QString LineStateText(LineState state) {
  switch (state) {
    case LineState::Waiting: return QStringLiteral("waiting");
    case LineState::Receiving: return QStringLiteral("receiving");
    case LineState::Writing: return QStringLiteral("writing");
    case LineState::Verifying: return QStringLiteral("verifying");
    case LineState::Passed: return QStringLiteral("PASS");
    case LineState::Failed: return QStringLiteral("FAIL");
    case LineState::AdapterGone: return QStringLiteral("adapter gone");
  }
  return {};
}

QString UnitResultText(UnitResult result) {
  switch (result) {
    case UnitResult::Pass: return QStringLiteral("PASS");
    case UnitResult::Fail: return QStringLiteral("FAIL");
    case UnitResult::Unverified: return QStringLiteral("UNVERIFIED");
  }
  return {};
}

QString UnitFaultName(UnitFault fault) {
  switch (fault) {
    case UnitFault::None: return {};
    case UnitFault::ReportChecksum: return QStringLiteral("report-checksum");
    case UnitFault::Communication: return QStringLiteral("communication");
    case UnitFault::ReportCut: return QStringLiteral("report-cut");
    case UnitFault::NoAcknowledgement: return QStringLiteral("no-acknowledgement");
    case UnitFault::WrongAcknowledgement: return QStringLiteral("wrong-acknowledgement");
    case UnitFault::NewReportInstead: return QStringLiteral("new-report-instead");
    case UnitFault::ReadBackCut: return QStringLiteral("read-back-cut");
    case UnitFault::ReadBackChecksum: return QStringLiteral("read-back-checksum");
    case UnitFault::ReadBackDiffers: return QStringLiteral("read-back-differs");
    case UnitFault::WriteFailed: return QStringLiteral("write-failed");
    case UnitFault::AdapterGone: return QStringLiteral("adapter-gone");
    case UnitFault::Interrupted: return QStringLiteral("interrupted");
  }
  return {};
}

UnitResult UnitResultOf(VerdictKind kind) {
  switch (kind) {
    case VerdictKind::Verified: return UnitResult::Pass;
    case VerdictKind::Interrupted: return UnitResult::Unverified;
    default: return UnitResult::Fail;
  }
}

UnitFault UnitFaultOf(VerdictKind kind) {
  switch (kind) {
    case VerdictKind::Verified: return UnitFault::None;
    case VerdictKind::Differs: return UnitFault::ReadBackDiffers;
    case VerdictKind::NoAcknowledgement: return UnitFault::NoAcknowledgement;
    case VerdictKind::WrongAcknowledgement: return UnitFault::WrongAcknowledgement;
    case VerdictKind::ReadBackCut: return UnitFault::ReadBackCut;
    case VerdictKind::ReadBackChecksum: return UnitFault::ReadBackChecksum;
    case VerdictKind::NewReportInstead: return UnitFault::NewReportInstead;
    case VerdictKind::WriteFailed: return UnitFault::WriteFailed;
    case VerdictKind::PortLost: return UnitFault::AdapterGone;
    case VerdictKind::Interrupted: return UnitFault::Interrupted;
  }
  return UnitFault::None;
}

}  // namespace hopper
