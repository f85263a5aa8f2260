#include "platform/serial/win32_serial_port.h"

#include <algorithm>

#include "core/line_settings.h"
#include "platform/serial/port_resolver.h"
#include "platform/serial/replug_watch.h"

namespace hopper {

namespace {

QString SystemWords(DWORD error) { return qt_error_string(static_cast<int>(error)); }

BYTE ParityOf(LineParity parity) {
  switch (parity) {
    case LineParity::Even: return EVENPARITY;
    case LineParity::Odd: return ODDPARITY;
    case LineParity::None: break;
  }
  return NOPARITY;
}

// "COM12" and "\\.\COM12" both open as "\\.\COM12": the plain name reaches only COM1 to COM9.
QString PathOf(const QString& device) {
  const QString prefix = QStringLiteral("\\\\.\\");
  return device.startsWith(prefix) ? device : prefix + device;
}

QString PortNameOf(const QString& device) {
  const QString prefix = QStringLiteral("\\\\.\\");
  return device.startsWith(prefix) ? device.mid(prefix.size()) : device;
}

const wchar_t* Wide(const QString& text) { return reinterpret_cast<const wchar_t*>(text.utf16()); }

// Whether the port is back: in the port list, or known to Windows under its name at all.
bool PortPresent(const QString& name, const DeviceListing& listing) {
  for (const SerialDevice& device : listing.List())
    if (QString::fromStdString(device.systemPath).compare(name, Qt::CaseInsensitive) == 0) return true;
  wchar_t target[512];
  return QueryDosDeviceW(Wide(name), target, std::size(target)) != 0;
}

}  // namespace

OpenResult ClassifyOpenError(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS: return OpenResult::Opened;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST: return OpenResult::InvalidPort;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY: return OpenResult::PortInUse;
    default: return OpenResult::OtherFailure;
  }
}

DCB SettingLineState(DCB base) {
  DCB state = base;
  state.DCBlength = sizeof(DCB);
  state.BaudRate = static_cast<DWORD>(kSettingLine.baudRate);
  state.ByteSize = static_cast<BYTE>(kSettingLine.dataBits);
  state.Parity = ParityOf(kSettingLine.parity);
  state.fParity = kSettingLine.parity == LineParity::None ? FALSE : TRUE;
  state.StopBits = kSettingLine.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
  state.fBinary = TRUE;
  // Every byte value is data: no XON/XOFF, no hardware handshake, no byte replaced or dropped.
  state.fOutxCtsFlow = FALSE;
  state.fOutxDsrFlow = FALSE;
  state.fDsrSensitivity = FALSE;
  state.fTXContinueOnXoff = TRUE;
  state.fOutX = FALSE;
  state.fInX = FALSE;
  state.fErrorChar = FALSE;
  state.fNull = FALSE;
  state.fAbortOnError = FALSE;
  // The adapter sees the lines raised, as it does when a Linux program opens its port.
  state.fDtrControl = DTR_CONTROL_ENABLE;
  state.fRtsControl = RTS_CONTROL_ENABLE;
  return state;
}

COMMTIMEOUTS SettingLineTimeouts() {
  COMMTIMEOUTS timeouts{};
  // No read timeouts: a read ends when the bytes asked for are there. The port asks for one
  // byte and waits; once it has come, it takes what else is waiting (see ReadCompleted).
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  // One byte takes some 1.1 ms at 9600 baud with parity: 2 ms a byte and a second to spare.
  timeouts.WriteTotalTimeoutMultiplier = 2;
  timeouts.WriteTotalTimeoutConstant = 1000;
  return timeouts;
}

Win32SerialPort::Win32SerialPort(std::shared_ptr<const DeviceListing> listing, QObject* parent)
    : SerialPort(parent), listing_(std::move(listing)) {
  // Manual-reset events: each overlapped call resets its own when it starts.
  readOverlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  takeOverlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  writeOverlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  readDone_.setHandle(readOverlapped_.hEvent);
  readDone_.setEnabled(false);
  connect(&readDone_, &QWinEventNotifier::activated, this, &Win32SerialPort::ReadCompleted);
  replugTimer_.setInterval(kReplugCheckMs);
  connect(&replugTimer_, &QTimer::timeout, this, &Win32SerialPort::CheckReturn);
}

Win32SerialPort::~Win32SerialPort() {
  Close();
  readDone_.setEnabled(false);
  CloseHandle(readOverlapped_.hEvent);
  CloseHandle(takeOverlapped_.hEvent);
  CloseHandle(writeOverlapped_.hEvent);
}

QString Win32SerialPort::DeviceFor(int portNumber) const {
  return DeviceForNumber(portNumber, device_, portNumber_, *listing_);
}

DeviceIdentity Win32SerialPort::Identity() const {
  if (!IsOpen()) return {};
  if (identity_.path != opened_) identity_ = IdentityOf(opened_, listing_->List());
  return identity_;
}

QString Win32SerialPort::Explain(int portNumber) const { return ExplainNumber(portNumber, *listing_); }

OpenOutcome Win32SerialPort::Open() {
  if (IsOpen()) {
    StopReading();
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  OpenOutcome outcome =
      OpenByPathOrNumber(device_, portNumber_, *listing_, [this](const QString& path) { return OpenDevice(path); });
  if (outcome.result == OpenResult::Opened) {
    opened_ = PortNameOf(outcome.device);
    identity_ = {};
    lost_.clear();
    replugTimer_.stop();
  } else if (!lost_.isEmpty()) {
    replugTimer_.start();  // back, but not usable yet: look again
  }
  return outcome;
}

OpenOutcome Win32SerialPort::OpenDevice(const QString& device) {
  OpenOutcome outcome;
  outcome.device = device;
  HANDLE handle = CreateFileW(Wide(PathOf(device)), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    outcome.result = ClassifyOpenError(error);
    if (outcome.result == OpenResult::Opened) outcome.result = OpenResult::OtherFailure;  // failed all the same
    outcome.detail = SystemWords(error);
    return outcome;
  }
  DCB state{};
  state.DCBlength = sizeof(state);
  if (!GetCommState(handle, &state)) {
    // A device that takes no line settings (a printer, NUL) is no serial port.
    CloseHandle(handle);
    outcome.result = OpenResult::InvalidPort;
    outcome.detail = QStringLiteral("%1 is a device, but not a serial port.").arg(device);
    return outcome;
  }
  lineState_ = SettingLineState(state);
  COMMTIMEOUTS timeouts = SettingLineTimeouts();
  if (!SetCommState(handle, &lineState_) || !SetCommTimeouts(handle, &timeouts)) {
    outcome.detail = SystemWords(GetLastError());
    CloseHandle(handle);
    outcome.result = OpenResult::OtherFailure;
    return outcome;
  }
  // What an earlier program left in the driver's buffers is not this link's.
  PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
  handle_ = handle;
  received_.clear();
  readDone_.setEnabled(true);
  StartRead();
  outcome.result = IsOpen() ? OpenResult::Opened : OpenResult::OtherFailure;
  return outcome;
}

void Win32SerialPort::StartRead() {
  readPending_ = true;
  if (ReadFile(handle_, readBuffer_.data(), 1, nullptr, &readOverlapped_) || GetLastError() == ERROR_IO_PENDING)
    return;  // done at once or later: the event tells either way
  readPending_ = false;
  CloseAfterLoss(SystemWords(GetLastError()));
}

void Win32SerialPort::ReadCompleted() {
  if (!readPending_ || !IsOpen()) return;
  DWORD got = 0;
  if (!GetOverlappedResult(handle_, &readOverlapped_, &got, FALSE)) {
    const DWORD error = GetLastError();
    if (error == ERROR_IO_INCOMPLETE) return;  // not finished after all
    readPending_ = false;
    CloseAfterLoss(SystemWords(error));
    return;
  }
  readPending_ = false;
  received_.append(readBuffer_.data(), static_cast<qsizetype>(got));
  if (!TakeWaiting()) return;
  StartRead();
  // Last: whoever is told may close the port.
  if (got > 0) emit BytesArrived();
}

bool Win32SerialPort::TakeWaiting() {
  for (;;) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_, &errors, &status) || status.cbInQue == 0) return true;
    const DWORD wanted = std::min<DWORD>(status.cbInQue, static_cast<DWORD>(readBuffer_.size()));
    DWORD got = 0;
    // The bytes are there: the read ends at once.
    if ((!ReadFile(handle_, readBuffer_.data(), wanted, nullptr, &takeOverlapped_) &&
         GetLastError() != ERROR_IO_PENDING) ||
        !GetOverlappedResult(handle_, &takeOverlapped_, &got, TRUE)) {
      CloseAfterLoss(SystemWords(GetLastError()));
      return false;
    }
    received_.append(readBuffer_.data(), static_cast<qsizetype>(got));
    if (got < wanted) return true;
  }
}

void Win32SerialPort::StopReading() {
  readDone_.setEnabled(false);
  if (!readPending_) return;
  CancelIoEx(handle_, &readOverlapped_);
  DWORD got = 0;
  GetOverlappedResult(handle_, &readOverlapped_, &got, TRUE);  // the buffer is the read's until it ends
  readPending_ = false;
}

void Win32SerialPort::Close() {
  if (IsOpen()) {
    // Bytes handed to the port go out before it closes: a frame cut short would reach the
    // hopper as half a frame.
    FlushFileBuffers(handle_);
    StopReading();
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  // Whoever closes the port has given it up: a lost device is no longer waited for.
  lost_.clear();
  replugTimer_.stop();
}

std::optional<std::uint8_t> Win32SerialPort::ReadByte() {
  if (received_.isEmpty()) return std::nullopt;
  const auto byte = static_cast<std::uint8_t>(received_.front());
  received_.remove(0, 1);
  return byte;
}

QByteArray Win32SerialPort::ReadAll() { return std::exchange(received_, QByteArray()); }

bool Win32SerialPort::WriteByte(std::uint8_t byte) { return Write(std::span(&byte, 1)); }

bool Win32SerialPort::Write(std::span<const std::uint8_t> bytes) {
  if (!IsOpen()) return false;
  if (bytes.empty()) return true;
  const auto size = static_cast<DWORD>(bytes.size());
  if (!WriteFile(handle_, bytes.data(), size, nullptr, &writeOverlapped_) && GetLastError() != ERROR_IO_PENDING)
    return false;
  // The bytes are on the line when the write ends; the write timeouts bound the wait.
  DWORD written = 0;
  if (!GetOverlappedResult(handle_, &writeOverlapped_, &written, TRUE)) return false;
  return written == size;
}

void Win32SerialPort::CloseAfterLoss(const QString& why) {
  if (!IsOpen()) return;
  StopReading();
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  received_.clear();
  lost_ = opened_;
  replugTimer_.start();
  emit DeviceLost(why);
}

void Win32SerialPort::CheckReturn() {
  if (lost_.isEmpty()) {
    replugTimer_.stop();
    return;
  }
  if (!PortPresent(lost_, *listing_)) return;
  replugTimer_.stop();
  emit DeviceReturned();
}

}  // namespace hopper
