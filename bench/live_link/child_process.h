#pragma once
// A program the benchmark starts and watches from the outside: through /proc, and through
// the probe plugin that reports what the program shows and takes simple commands.

#include <sys/types.h>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

struct ProbeEvent {
  std::int64_t at = 0;  // CLOCK_MONOTONIC nanoseconds, stamped inside the program
  std::string kind;     // shown, box, enabled, stall, done
  std::string detail;
};

class ChildProcess {
 public:
  // Starts `program` with `args`, the environment plus `env`, and the probe loaded from
  // `probeFolder` (a folder with generic/ inside) when it is not empty.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env, const std::string& probeFolder);
  ~ChildProcess();  // ends the program: asks it to quit, then kills it if it does not
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Running();
  pid_t Pid() const { return pid_; }
  std::int64_t StartedAt() const { return startedAt_; }

  // The next probe event of `kind` whose detail starts with `detail`; earlier events of
  // other kinds are dropped. Nothing when none comes within `timeoutMs`.
  std::optional<ProbeEvent> Await(const std::string& kind, const std::string& detail, int timeoutMs);
  // Every event up to and including the next one of `kind` and `detail`; empty when that
  // one does not come within `timeoutMs`.
  std::vector<ProbeEvent> CollectUntil(const std::string& kind, const std::string& detail, int timeoutMs);
  void Command(const std::string& line);
  // Forgets every event reported so far.
  void Forget();

  // Figures from /proc.
  long StatusKiB(const char* field) const;  // VmHWM, VmRSS, ...
  std::int64_t CpuNs() const;               // all threads, from schedstat
  std::int64_t Wakeups() const;             // times any thread was put on a CPU, from schedstat
  bool MainThreadAsleep() const;
  bool HasOpen(const std::string& device) const;

 private:
  std::optional<ProbeEvent> NextEvent(int timeoutMs);

  pid_t pid_ = -1;
  bool probed_ = false;
  std::int64_t startedAt_ = 0;
  int reportFd_ = -1;   // probe -> benchmark
  int commandFd_ = -1;  // benchmark -> probe
  std::string pending_;
};

// Waits until the program has taken every byte of the line and its main thread sleeps, as it
// does when its event loop has nothing left to do. False after `timeoutMs`.
class LinePeer;
bool WaitSettled(const ChildProcess& child, const LinePeer* line, int timeoutMs = 10000);

}  // namespace bench
