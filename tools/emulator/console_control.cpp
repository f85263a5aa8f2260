#include "tools/emulator/console_control.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace hopper::emulator {

namespace {
int signalPipe[2] = {-1, -1};

void OnSignal(int number) {
  const char byte = static_cast<char>(number);
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}
}  // namespace

ConsoleControl::ConsoleControl(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
    ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGUSR1, SIGINT, SIGTERM}) ::sigaction(number, &action, nullptr);
    signals_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(signals_.get(), &QSocketNotifier::activated, this, &ConsoleControl::ReadSignal);
  }
  console_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
  connect(console_.get(), &QSocketNotifier::activated, this, &ConsoleControl::ReadConsole);
}

ConsoleControl::~ConsoleControl() {
  for (int number : {SIGUSR1, SIGINT, SIGTERM}) ::signal(number, SIG_DFL);
  signals_.reset();
  for (int& fd : signalPipe) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void ConsoleControl::ReadSignal() {
  char number = 0;
  if (::read(signalPipe[0], &number, 1) != 1) return;
  if (number == SIGUSR1) emit PowerOnAsked();
  else emit QuitAsked();
}

void ConsoleControl::ReadConsole() {
  char buffer[256];
  const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
  if (n <= 0) {
    // The console is gone (or was never there): only signals and timers can act now.
    console_->setEnabled(false);
    return;
  }
  line_.append(buffer, n);
  for (qsizetype end = line_.indexOf('\n'); end >= 0; end = line_.indexOf('\n')) {
    const QByteArray command = line_.left(end).trimmed().toLower();
    line_.remove(0, end + 1);
    if (command == "q" || command == "quit") {
      emit QuitAsked();
    } else if (command == "p" || command == "power" || command.isEmpty()) {
      emit PowerOnAsked();
    } else {
      std::fputs("keys: p + Enter switches the hopper on, q + Enter quits\n", stdout);
      std::fflush(stdout);
    }
  }
  if (line_.size() > 4096) line_.clear();  // nobody types that much without a line end
}

}  // namespace hopper::emulator
