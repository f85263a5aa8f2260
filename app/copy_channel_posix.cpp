#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <QFile>
#include <QSocketNotifier>
#include <cstring>

#include "app/copy_channel.h"

namespace hopper {

namespace {

// The socket address of the path `name`; false when the path does not fit one.
bool AddressOf(const QString& name, sockaddr_un& address) {
  const QByteArray path = QFile::encodeName(name);
  address = {};
  address.sun_family = AF_UNIX;
  if (path.isEmpty() || path.size() >= qsizetype(sizeof address.sun_path)) return false;
  std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
  return true;
}

const sockaddr* Generic(const sockaddr_un& address) { return reinterpret_cast<const sockaddr*>(&address); }

}  // namespace

struct CopyChannel::Listener {
  int fd = -1;
  QByteArray path;
  std::unique_ptr<QSocketNotifier> notifier;
  ~Listener() {
    notifier.reset();
    ::close(fd);
    ::unlink(path.constData());
  }
};

CopyChannel::CopyChannel(QObject* parent) : QObject(parent) {}

CopyChannel::~CopyChannel() = default;

bool CopyChannel::Listen(const QString& name) {
  sockaddr_un address;
  if (!AddressOf(name, address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ::unlink(address.sun_path);  // a socket left by a copy that crashed
  if (::bind(fd, Generic(address), sizeof address) != 0) {
    ::close(fd);
    return false;
  }
  // Only this user may knock: the socket is closed to others before it takes any knock.
  if (::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd, 8) != 0) {
    ::close(fd);
    ::unlink(address.sun_path);
    return false;
  }
  listener_ = std::make_unique<Listener>();
  listener_->fd = fd;
  listener_->path = address.sun_path;
  listener_->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  connect(listener_->notifier.get(), &QSocketNotifier::activated, this, [this] {
    for (int knock; (knock = ::accept4(listener_->fd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
      ::close(knock);  // connecting is all the message there is
      emit Knocked();
    }
  });
  return true;
}

bool CopyChannel::Knock(const QString& name, int timeoutMs) {
  sockaddr_un address;
  if (!AddressOf(name, address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // A running copy too busy to take the knock at once is given `timeoutMs`.
  const timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  const bool knocked = ::connect(fd, Generic(address), sizeof address) == 0;
  ::close(fd);
  return knocked;
}

}  // namespace hopper
