#include "tool_rig.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/setting_frames.h"

namespace bench {

namespace fs = std::filesystem;

namespace {
constexpr int kShowTimeoutMs = 30000;
constexpr int kEchoTimeoutMs = 5000;
constexpr std::uint8_t kWrongByte = 0x00;

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
  std::ofstream(settings / "Hopper kit.ini") << "[Ports]\nCOM1=" << line.Device() << "\n\n[Setting]\nCOMPORT=1\n";
}

ToolRig::~ToolRig() {
  tool.reset();
  std::error_code ignored;
  if (!folder_.empty()) fs::remove_all(folder_, ignored);
}

bool ToolRig::Start(double* startUpMs) {
  auto env = HeadlessEnvironment();
  env["XDG_CONFIG_HOME"] = folder_ + "/config";
  tool = std::make_unique<ChildProcess>(programs_.tool, std::vector<std::string>{}, env, programs_.probeFolder);
  const auto shown = tool->Await("shown", "Form1", kShowTimeoutMs);
  if (!shown || !tool->HasOpen(line.Device())) return false;
  if (startUpMs) *startUpMs = static_cast<double>(shown->at - tool->StartedAt()) / 1e6;
  return WaitSettled(*tool, &line);
}

std::optional<double> ToolRig::Dialogue() {
  line.Write(ReportFrame());
  if (!WaitSettled(*tool, &line)) return std::nullopt;
  std::int64_t echoedAt = 0;
  const std::int64_t sentAt = line.Write({hopper::kSyncByte});
  const Bytes echo = line.Read(1, kEchoTimeoutMs, &echoedAt);
  line.Write({hopper::kReadyByte, kWrongByte});
  if (echo != Bytes{hopper::kSyncByte} || !WaitSettled(*tool, &line)) return std::nullopt;
  return static_cast<double>(echoedAt - sentAt) / 1e6;
}

void ToolRig::Resynchronise() {
  // A wrong byte ends any dialogue, a header is at most 3 bytes, an info count runs at most
  // 256, a block is 32 bytes and its checksum one; 0xFF never starts a report.
  line.Write(Bytes(320, 0xFF));
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
