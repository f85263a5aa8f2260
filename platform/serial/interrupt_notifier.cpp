#include "platform/serial/interrupt_notifier.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace hopper {

#ifdef Q_OS_UNIX
namespace {
int wakeFds[2] = {-1, -1};

// Only write() may be called here: the rest happens on the main thread.
void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeFds[0], &byte, 1);
}
}  // namespace

InterruptNotifier::InterruptNotifier(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, wakeFds) != 0) return;
  notifier_ = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char byte = 0;
    [[maybe_unused]] const ssize_t n = ::read(wakeFds[1], &byte, 1);
    emit Interrupted();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

InterruptNotifier::~InterruptNotifier() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
  delete notifier_;
  for (int& fd : wakeFds) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

#elif defined(Q_OS_WIN)
namespace {
QPointer<InterruptNotifier> current;

BOOL WINAPI OnConsoleEvent(DWORD) {
  // Runs on a thread of its own: hand the news to the main thread.
  if (current) QMetaObject::invokeMethod(current.data(), &InterruptNotifier::Interrupted, Qt::QueuedConnection);
  return TRUE;
}
}  // namespace

InterruptNotifier::InterruptNotifier(QObject* parent) : QObject(parent) {
  current = this;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptNotifier::~InterruptNotifier() { SetConsoleCtrlHandler(OnConsoleEvent, FALSE); }

#else
InterruptNotifier::InterruptNotifier(QObject* parent) : QObject(parent) {}
InterruptNotifier::~InterruptNotifier() = default;
#endif

}  // namespace hopper
