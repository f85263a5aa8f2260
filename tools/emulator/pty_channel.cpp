#include "tools/emulator/pty_channel.h"

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace hopper::emulator {

namespace {
// How often a closed far end is looked at; opening a port takes the tool longer than this.
constexpr int kPeerWatchMs = 20;
}  // namespace

PtyChannel::PtyChannel(QObject* parent) : FdChannel(parent) {
  peerWatch_.setInterval(kPeerWatchMs);
  connect(&peerWatch_, &QTimer::timeout, this, &PtyChannel::CheckPeer);
}

PtyChannel::~PtyChannel() { Close(); }

QString PtyChannel::Open(const QString& linkPath) {
  int master = -1;
  int slave = -1;
  termios tio{};
  SetLineSettings(tio, false);
  if (::openpty(&master, &slave, nullptr, &tio, nullptr) != 0) {
    return QStringLiteral("cannot create a pseudo-terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
  }
  slavePath_ = QString::fromLocal8Bit(::ttyname(slave));
  // Holding the slave ourselves would hide whether the tool has the port open.
  ::close(slave);
  Adopt(master, false);
  peerWatch_.start();

  if (!linkPath.isEmpty()) {
    const QByteArray link = QFile::encodeName(linkPath);
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) ::unlink(link.constData());
    if (::symlink(QFile::encodeName(slavePath_).constData(), link.constData()) != 0) {
      return QStringLiteral("cannot make the link %1: %2").arg(linkPath, QString::fromLocal8Bit(std::strerror(errno)));
    }
    linkPath_ = linkPath;
  }
  return {};
}

bool PtyChannel::FarEndOpen() const {
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) < 0) return peerPresent_;
  return (p.revents & POLLHUP) == 0;
}

void PtyChannel::CheckPeer() {
  if (fd_ < 0 || !FarEndOpen()) return;
  peerWatch_.stop();
  peerPresent_ = true;
  SetListening(true);
  emit PeerOpened();
}

void PtyChannel::ReadFailed(int) {
  // EIO (or an end of file): the tool closed its port. Wait for it to come back.
  SetListening(false);
  if (!peerPresent_) return;
  peerPresent_ = false;
  peerWatch_.start();
  emit PeerClosed();
}

void PtyChannel::BeforeClose() {
  peerWatch_.stop();
  if (!linkPath_.isEmpty()) {
    const QFileInfo link(linkPath_);
    if (link.isSymLink() && link.symLinkTarget() == slavePath_) ::unlink(QFile::encodeName(linkPath_).constData());
    linkPath_.clear();
  }
}

}  // namespace hopper::emulator
