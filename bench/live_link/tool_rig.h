#pragma once
// The tool as a real process on a pseudo-terminal: a settings folder of its own whose COM1 is
// the line, the probe loaded, the main window shown with its port open. Also the dialogues
// the hopper holds with it, written and read on the line.

#include <memory>
#include <optional>
#include <string>

#include "child_process.h"
#include "line_peer.h"

namespace bench {

// Where the measured programs live: beside the benchmark.
struct Programs {
  std::string tool;
  std::string floorWindow;
  std::string floorEcho;
  std::string probeFolder;
  static Programs Beside(const std::string& benchmark);
};

// Offscreen, with Qt's own platform chatter left out of the benchmark's output.
std::map<std::string, std::string> HeadlessEnvironment();

class ToolRig {
 public:
  explicit ToolRig(const Programs& programs);
  ~ToolRig();

  // Starts the tool and waits for its main window, shown with the line open. The time from
  // the process start to the shown window goes to `startUpMs`.
  bool Start(double* startUpMs = nullptr);
  void Stop() { tool.reset(); }

  // A power-on report with its sync byte and ready byte, then one wrong byte that puts the
  // link back to waiting for a start byte (the only way out of the ready state that takes no
  // user). Returns the echo's time from writing 0x82 to reading it back, in ms.
  std::optional<double> Dialogue();
  // Bytes that take the link from any state back to waiting for a start byte.
  void Resynchronise();

  LinePeer line;
  std::unique_ptr<ChildProcess> tool;

 private:
  const Programs& programs_;
  std::string folder_;
  std::string runtime_;  // XDG_RUNTIME_DIR of the tool
};

// Starts a floor window (optionally with a poll timer) and waits until it is shown.
std::unique_ptr<ChildProcess> StartFloorWindow(const Programs& programs, int timerMs, double* startUpMs = nullptr);

}  // namespace bench
