#include "tool_rig.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "core/setting_frames.h"

namespace bench {

namespace fs = std::filesystem;

namespace {
constexpr int kShowTimeoutMs = 30000;
constexpr int kEchoTimeoutMs = 5000;
// The first report after start-up finds the status line blue already; no change comes.
constexpr int kFirstColourMs = 1000;
constexpr std::uint8_t kWrongByte = 0x00;

std::nullopt_t Nothing(const char* why) {
  std::cerr << "bench_live_link: dialogue: " << why << std::endl;
  return std::nullopt;
}

Bytes ReportFrame() {
  const hopper::CoinNumbers coins{1000, 500, 250, 100, 50, 20, 10, 5, 2, 1, 0, 0, 0, 0, 0, 0};
  const std::uint8_t info[1] = {0x10};
  return hopper::BuildReportFrame(0x01, 0x02, info, coins);
}
}  // namespace

Programs Programs::Beside(const std::string& benchmark) {
  const fs::path folder = fs::canonical(benchmark).parent_path();
  return {(folder / "hopper-setting-tool").string(), (folder / "bench-floor-window").string(),
          (folder / "bench-floor-echo").string(), (folder / "bench-probe").string()};
}

std::map<std::string, std::string> HeadlessEnvironment() {
  return {{"QT_QPA_PLATFORM", "offscreen"}, {"QT_LOGGING_RULES", "qt.qpa.*=false"}};
}

ToolRig::ToolRig(const Programs& programs) : programs_(programs) {
  char folder[] = "/tmp/hopper-bench.XXXXXX";
  if (::mkdtemp(folder)) folder_ = folder;
  const fs::path settings = fs::path(folder_) / "config" / "Hopper kit";
  fs::create_directories(settings);
  // The runtime folder in memory where the machine has a tmpfs, as a desktop session's is: the
  // single-copy lock made there costs no write to disk.
  char runtime[] = "/dev/shm/hopper-bench-runtime.XXXXXX";
  if (::mkdtemp(runtime)) runtime_ = runtime;
  else {
    runtime_ = folder_;
    runtime_ += "/runtime";
    fs::create_directory(runtime_);
  }
  fs::permissions(runtime_, fs::perms::owner_all, fs::perm_options::replace);
  std::ofstream(settings / "Hopper kit.ini") << "[Ports]\nCOM1=" << line.Device() << "\n\n[Setting]\nCOMPORT=1\n";
}

ToolRig::~ToolRig() {
  tool.reset();
  std::error_code ignored;
  if (!folder_.empty()) fs::remove_all(folder_, ignored);
  if (!runtime_.empty()) fs::remove_all(runtime_, ignored);
}

bool ToolRig::Start(double* startUpMs) {
  auto env = HeadlessEnvironment();
  env["XDG_CONFIG_HOME"] = folder_ + "/config";
  env["XDG_DATA_HOME"] = folder_ + "/data";  // its backups and journal entries stay with the run
  // A runtime folder of its own too: the single-copy lock lives there when there is one, and a
  // copy the user has open must not keep the measured one from starting.
  env["XDG_RUNTIME_DIR"] = runtime_;
  tool = std::make_unique<ChildProcess>(programs_.tool, std::vector<std::string>{}, env, programs_.probeFolder);
  const auto shown = tool->Await("shown", "Form1", kShowTimeoutMs);
  if (!shown || !tool->HasOpen(line.Device())) return false;
  if (startUpMs) *startUpMs = static_cast<double>(shown->at - tool->StartedAt()) / 1e6;
  return WaitSettled(*tool, &line);
}

std::optional<double> ToolRig::Dialogue() {
  tool->Forget();
  line.Write(ReportFrame());
  // The start byte turns the status line blue (after the red of the last dialogue's end); the
  // whole report came in the same read, so once the tool sleeps again it has taken all of it.
  tool->Await("status", "Form1/Label2 #0000ff", kFirstColourMs);
  if (!WaitSettled(*tool, &line)) return Nothing("the report was not taken");
  std::int64_t echoedAt = 0;
  const std::int64_t sentAt = line.Write({hopper::kSyncByte});
  const Bytes echo = line.Read(1, kEchoTimeoutMs, &echoedAt);
  line.Write({hopper::kReadyByte, kWrongByte});
  if (echo.empty()) return Nothing("no echo");
  if (echo != Bytes{hopper::kSyncByte}) return Nothing("an echo other than 0x82");
  // The wrong byte turns the status line red and empties the tool's receive buffer: the next
  // report must not reach that buffer before, so its red is awaited, not only a quiet line.
  if (!tool->Await("status", "Form1/Label2 #ff0000", kEchoTimeoutMs) || !WaitSettled(*tool, &line))
    return Nothing("the wrong byte was not taken");
  return static_cast<double>(echoedAt - sentAt) / 1e6;
}

void ToolRig::Resynchronise() {
  // A wrong byte ends any dialogue, a header is at most 3 bytes, an info count runs at most
  // 256, a block is 32 bytes and its checksum one; 0xFF never starts a report.
  line.Write(Bytes(320, 0xFF));
  // The last of them can still be on its way into the tool when the line first looks quiet;
  // a second settling later makes sure a report sent next is not emptied with them.
  WaitSettled(*tool, &line);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  WaitSettled(*tool, &line);
  line.Discard();
}

std::unique_ptr<ChildProcess> StartFloorWindow(const Programs& programs, int timerMs, double* startUpMs) {
  std::vector<std::string> args;
  if (timerMs > 0) args = {"--timer-ms", std::to_string(timerMs)};
  auto floor = std::make_unique<ChildProcess>(programs.floorWindow, args, HeadlessEnvironment(), programs.probeFolder);
  const auto shown = floor->Await("shown", "Floor", kShowTimeoutMs);
  if (!shown) return nullptr;
  if (startUpMs) *startUpMs = static_cast<double>(shown->at - floor->StartedAt()) / 1e6;
  WaitSettled(*floor, nullptr);
  return floor;
}

}  // namespace bench
