#include "platform/serial/qt_serial_port.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QTimer>

#include "core/line_settings.h"
#include "platform/serial/device_access.h"
#include "platform/serial/port_resolver.h"
#include "platform/serial/qt_device_listing.h"
#include "platform/serial/serial_device_check.h"
#include "platform/serial/termios_driver_line.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace hopper {

namespace {

// Whether this user may read and write the device; always so where there is no such test.
bool AccessAllowed([[maybe_unused]] const QString& device) {
#ifdef Q_OS_UNIX
  return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
#else
  return true;
#endif
}

// `why`, followed by the program that holds `device` where the system names it.
QString WithHolder(const QString& why, const QString& device) {
  const QString holder = DeviceHolderText(device);
  return holder.isEmpty() ? why : QStringLiteral("%1\nHeld by %2.").arg(why, holder);
}

QSerialPort::Parity QtParity(LineParity parity) {
  switch (parity) {
    case LineParity::Even: return QSerialPort::EvenParity;
    case LineParity::Odd: return QSerialPort::OddParity;
    case LineParity::None: break;
  }
  return QSerialPort::NoParity;
}

}  // namespace

OpenResult ClassifyOpenFailure(QSerialPort::SerialPortError error, bool accessAllowed) {
  switch (error) {
    case QSerialPort::NoError: return OpenResult::Opened;
    case QSerialPort::DeviceNotFoundError: return OpenResult::InvalidPort;
    case QSerialPort::PermissionError: return accessAllowed ? OpenResult::PortInUse : OpenResult::AccessDenied;
    default: return OpenResult::OtherFailure;
  }
}

namespace {
// One listing for every port of the program: a station opens all its ports at once, and each
// learns its device's identity a moment later; one look at the machine's devices answers them
// all, where one each stalled the line for as many looks.
std::shared_ptr<const DeviceListing> SharedListing() {
  static const std::shared_ptr<const DeviceListing> listing = std::make_shared<QtDeviceListing>();
  return listing;
}
}  // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QtSerialPort(SharedListing(), parent) {}

QtSerialPort::QtSerialPort(std::shared_ptr<const DeviceListing> listing, QObject* parent)
    : SerialPort(parent),
      listing_(std::move(listing)),
      driverLine_(std::make_shared<TermiosDriverLine>()),
      replug_(listing_) {
  connect(&port_, &QSerialPort::readyRead, this, &SerialPort::BytesArrived);
  connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::OnError);
  connect(&replug_, &ReplugWatch::Returned, this, &SerialPort::DeviceReturned);
}

void QtSerialPort::SetPortNumber(int portNumber) { portNumber_ = portNumber; }

QString QtSerialPort::DeviceFor(int portNumber) const {
  return DeviceForNumber(portNumber, device_, portNumber_, *listing_);
}

QString QtSerialPort::Explain(int portNumber) const { return ExplainNumber(portNumber, *listing_); }

OpenOutcome QtSerialPort::Open() {
  if (port_.isOpen()) port_.close();
  // A device given by its path is opened without the port-number rule; it is watched for after
  // a loss all the same.
  OpenOutcome outcome =
      OpenByPathOrNumber(device_, portNumber_, *listing_, [this](const QString& path) { return OpenDevice(path); });
  if (outcome.result == OpenResult::Opened) {
    opened_ = {outcome.device, {}, {}};
    lost_ = {};
    replug_.Stop();
    identityLearned_ = false;
    // The stable name and serial number that tell the adapter apart after a replug take a look
    // at the machine's devices, the slowest step of an opening: taken a moment later, out of
    // the way of the window that is being shown. A loss before then learns them as it closes.
    constexpr int kLearnIdentityAfterMs = 250;
    QTimer::singleShot(kLearnIdentityAfterMs, Qt::CoarseTimer, this, &QtSerialPort::LearnIdentity);
  } else if (!lost_.IsEmpty()) {
    replug_.Watch(lost_);  // back, but not usable yet: look again
  }
  return outcome;
}

OpenOutcome QtSerialPort::OpenDevice(const QString& given) {
  OpenOutcome outcome;
  outcome.device = given;
  QString device = given;
#ifndef Q_OS_WIN
  // A missing path, a folder or a plain file is no port at all, and is told as such.
  if (const QString problem = SerialDeviceProblem(device, false); !problem.isEmpty()) {
    outcome.result = OpenResult::InvalidPort;
    outcome.detail = problem;
    return outcome;
  }
  // The lock file is named after the path as given: open the real device, so the same
  // adapter reached through a link is seen as in use.
  device = QFileInfo(device).canonicalFilePath();
  if (!AccessAllowed(device)) {
    outcome.result = OpenResult::AccessDenied;
    outcome.owningGroup = QFileInfo(device).group();
    return outcome;
  }
#endif
  port_.setPortName(device);
  // Line settings go on before open(): a pseudo-terminal refuses even parity afterwards.
  port_.setBaudRate(kSettingLine.baudRate);
  port_.setParity(QtParity(kSettingLine.parity));
  port_.setDataBits(static_cast<QSerialPort::DataBits>(kSettingLine.dataBits));
  port_.setStopBits(kSettingLine.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
  port_.setFlowControl(QSerialPort::NoFlowControl);
  lossPending_ = false;
  lineTrouble_.clear();
  if (port_.open(QIODevice::ReadWrite)) {
#ifdef Q_OS_UNIX
    // Qt keeps out programs that honour its lock file; terminal programs such as picocom lock
    // the device itself instead, and a line shared with one splits the hopper's report.
    if (!LockOpenDevice(port_.handle())) {
      port_.close();
      outcome.result = OpenResult::PortInUse;
      outcome.detail = WithHolder(QStringLiteral("Another program has locked the device."), device);
      return outcome;
    }
#endif
    // Some drivers quietly keep what they cannot do (no parity at all, say): ask what they took.
    if (const std::optional<LineSettings> taken = driverLine_->Taken(port_.handle()))
      for (const std::string& trouble : LineSettingTrouble(kSettingLine, *taken))
        lineTrouble_ << QString::fromStdString(trouble);
    outcome.result = OpenResult::Opened;
    return outcome;
  }
  outcome.result = ClassifyOpenFailure(port_.error(), AccessAllowed(device));
  outcome.detail =
      outcome.result == OpenResult::PortInUse ? WithHolder(port_.errorString(), device) : port_.errorString();
  if (outcome.result == OpenResult::Opened) outcome.result = OpenResult::OtherFailure;  // failed all the same
  if (outcome.result == OpenResult::AccessDenied) outcome.owningGroup = QFileInfo(device).group();
  port_.clearError();
  if (outcome.result == OpenResult::OtherFailure) {
    // A device file that is no terminal (/dev/null, a printer) is no port either.
    if (const QString problem = SerialDeviceProblem(device, true); !problem.isEmpty()) {
      outcome.result = OpenResult::InvalidPort;
      outcome.detail = problem;
    }
  }
  return outcome;
}

void QtSerialPort::Close() {
  if (port_.isOpen()) {
    // Bytes handed to the port go out before it closes: closing drops what Qt still buffers,
    // and a frame cut short there would reach the hopper as half a frame.
    port_.flush();
    port_.close();
  }
  // Whoever closes the port has given it up: a lost device is no longer waited for.
  lost_ = {};
  replug_.Stop();
}

std::optional<LineErrorCounts> QtSerialPort::ErrorCounts() const {
  return port_.isOpen() ? driverLine_->Errors(port_.handle()) : std::nullopt;
}

qint64 QtSerialPort::BytesWaiting() { return port_.isOpen() ? port_.bytesAvailable() : 0; }

std::optional<std::uint8_t> QtSerialPort::ReadByte() {
  char c = 0;
  if (!port_.isOpen() || port_.read(&c, 1) != 1) return std::nullopt;
  return static_cast<std::uint8_t>(c);
}

QByteArray QtSerialPort::ReadAll() { return port_.isOpen() ? port_.readAll() : QByteArray(); }

bool QtSerialPort::WriteByte(std::uint8_t byte) { return Write(std::span(&byte, 1)); }

bool QtSerialPort::Write(std::span<const std::uint8_t> bytes) {
  if (!port_.isOpen()) return false;
  const auto size = static_cast<qint64>(bytes.size());
  if (port_.write(reinterpret_cast<const char*>(bytes.data()), size) != size) return false;
  // QSerialPort only queues the bytes for the next pass of the event loop; hand them to the
  // line now, so an echo leaves while the byte it answers is still being handled.
  port_.flush();
  return true;
}

void QtSerialPort::OnError(QSerialPort::SerialPortError error) {
  // After a hang-up QSerialPort reports ReadError over and over while staying open:
  // close once, outside the signal, on the first report.
  if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError) return;
  if (lossPending_ || !port_.isOpen()) return;
  lossPending_ = true;
  const QString why = port_.errorString();
  QMetaObject::invokeMethod(
      this, [this, why] { CloseAfterLoss(why); }, Qt::QueuedConnection);
}

void QtSerialPort::LearnIdentity() const {
  if (!port_.isOpen() || identityLearned_) return;
  opened_ = IdentityOf(opened_.path, listing_->List());
  identityLearned_ = true;
}

DeviceIdentity QtSerialPort::Identity() const {
  if (!port_.isOpen()) return {};
  LearnIdentity();
  return opened_;
}

void QtSerialPort::CloseAfterLoss(const QString& why) {
  if (!port_.isOpen()) return;
  LearnIdentity();  // a loss that came first still finds what the listing knows
  port_.close();
  lost_ = opened_;
  replug_.Watch(lost_);
  emit DeviceLost(why);
}

}  // namespace hopper
