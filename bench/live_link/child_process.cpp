#include "child_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "line_peer.h"

extern char** environ;

namespace bench {

namespace {
constexpr int kReportFd = 3;
constexpr int kCommandFd = 4;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A short pause while polling /proc, so the watcher does not take the core it watches.
void Nap() { std::this_thread::sleep_for(std::chrono::microseconds(200)); }
}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env, const std::string& probeFolder) {
  int report[2];
  int command[2];
  if (::pipe2(report, O_CLOEXEC) != 0 || ::pipe2(command, O_CLOEXEC) != 0) return;
  std::map<std::string, std::string> environment;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    const auto eq = entry.find('=');
    if (eq != std::string::npos) environment[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [key, value] : env) environment[key] = value;
  probed_ = !probeFolder.empty();
  if (probed_) {
    environment["QT_PLUGIN_PATH"] = probeFolder;
    environment["QT_QPA_GENERIC_PLUGINS"] =
        "hopperprobe:" + std::to_string(kReportFd) + ":" + std::to_string(kCommandFd);
  }
  std::vector<std::string> envText;
  for (const auto& [key, value] : environment) envText.push_back(key + "=" + value);
  std::vector<char*> envp;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argText{program};
  argText.insert(argText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argText) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, report[1], kReportFd);
  posix_spawn_file_actions_adddup2(&actions, command[0], kCommandFd);
  startedAt_ = NowNs();
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(report[1]);
  ::close(command[0]);
  reportFd_ = report[0];
  commandFd_ = command[1];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    // A program with the probe closes its windows and ends as a user would end it.
    if (probed_) Command("quit");
    else ::kill(pid_, SIGTERM);
    ::close(commandFd_);
    int status = 0;
    for (int i = 0; i < 10000 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i) Nap();
    if (::waitpid(pid_, &status, WNOHANG) == 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
  }
  if (reportFd_ >= 0) ::close(reportFd_);
}

bool ChildProcess::Running() { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

std::optional<ProbeEvent> ChildProcess::NextEvent(int timeoutMs) {
  const std::int64_t deadline = NowNs() + static_cast<std::int64_t>(timeoutMs) * 1000000;
  for (;;) {
    const auto end = pending_.find('\n');
    if (end != std::string::npos) {
      std::istringstream line(pending_.substr(0, end));
      pending_.erase(0, end + 1);
      ProbeEvent event;
      line >> event.at >> event.kind;
      std::getline(line >> std::ws, event.detail);
      return event;
    }
    const std::int64_t left = deadline - NowNs();
    if (reportFd_ < 0) return std::nullopt;
    pollfd waiting{reportFd_, POLLIN, 0};
    if (::poll(&waiting, 1, left > 0 ? static_cast<int>(left / 1000000) + 1 : 0) <= 0) {
      if (NowNs() >= deadline) return std::nullopt;
      continue;
    }
    char buffer[1024];
    const ssize_t n = ::read(reportFd_, buffer, sizeof buffer);
    if (n <= 0) return std::nullopt;  // the program has ended
    pending_.append(buffer, static_cast<std::size_t>(n));
  }
}

std::vector<ProbeEvent> ChildProcess::CollectUntil(const std::string& kind, const std::string& detail, int timeoutMs) {
  const std::int64_t deadline = NowNs() + static_cast<std::int64_t>(timeoutMs) * 1000000;
  std::vector<ProbeEvent> events;
  for (;;) {
    const std::int64_t left = deadline - NowNs();
    auto event = left > 0 ? NextEvent(static_cast<int>(left / 1000000) + 1) : std::nullopt;
    if (!event) return {};
    events.push_back(*event);
    if (event->kind == kind && event->detail.rfind(detail, 0) == 0) return events;
  }
}

std::optional<ProbeEvent> ChildProcess::Await(const std::string& kind, const std::string& detail, int timeoutMs) {
  const auto events = CollectUntil(kind, detail, timeoutMs);
  if (events.empty()) return std::nullopt;
  return events.back();
}

void ChildProcess::Forget() {
  while (NextEvent(0)) {}
}

void ChildProcess::Command(const std::string& line) {
  const std::string text = line + "\n";
  if (commandFd_ >= 0 && ::write(commandFd_, text.data(), text.size()) < 0) return;
}

long ChildProcess::StatusKiB(const char* field) const {
  std::istringstream status(ReadFile("/proc/" + std::to_string(pid_) + "/status"));
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  }
  return -1;
}

namespace {

// One field of schedstat (0: time on a CPU in ns, 2: times put on a CPU), summed over the
// program's threads.
std::int64_t SchedstatSum(pid_t pid, int field) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  std::int64_t total = 0;
  if (DIR* dir = ::opendir(tasks.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      std::istringstream stat(ReadFile(tasks + "/" + entry->d_name + "/schedstat"));
      std::int64_t fields[3] = {};
      if (stat >> fields[0] >> fields[1] >> fields[2]) total += fields[field];
    }
    ::closedir(dir);
  }
  return total;
}

}  // namespace

std::int64_t ChildProcess::CpuNs() const { return SchedstatSum(pid_, 0); }

std::int64_t ChildProcess::Wakeups() const { return SchedstatSum(pid_, 2); }

bool ChildProcess::MainThreadAsleep() const {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/stat");
  const auto paren = stat.rfind(')');
  return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] == 'S';
}

bool ChildProcess::HasOpen(const std::string& device) const {
  const std::string fds = "/proc/" + std::to_string(pid_) + "/fd";
  bool found = false;
  if (DIR* dir = ::opendir(fds.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      char target[256] = {};
      const std::string link = fds + "/" + entry->d_name;
      if (::readlink(link.c_str(), target, sizeof target - 1) > 0 && device == target) found = true;
    }
    ::closedir(dir);
  }
  return found;
}

bool WaitSettled(const ChildProcess& child, const LinePeer* line, int timeoutMs) {
  const std::int64_t deadline = NowNs() + static_cast<std::int64_t>(timeoutMs) * 1000000;
  int quietChecks = 0;
  // Asleep twice in a row with nothing left on the line: one look could catch the thread
  // between two events.
  while (NowNs() < deadline) {
    const bool quiet = (!line || line->Unread() == 0) && child.MainThreadAsleep();
    quietChecks = quiet ? quietChecks + 1 : 0;
    if (quietChecks >= 2) return true;
    Nap();
  }
  return false;
}

}  // namespace bench
