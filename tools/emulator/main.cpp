// hopper-emulator: a coin hopper on a pseudo-terminal (or a serial device) for the
// Hopper Setting Tool to talk to.

#include <QCoreApplication>
#include <cstdio>
#include <memory>

#include "tools/emulator/console_control.h"
#include "tools/emulator/emulator_options.h"
#include "tools/emulator/fd_channel.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"

using namespace hopper::emulator;

namespace {
void Say(const QString& text, FILE* to = stdout) {
  std::fputs(text.toLocal8Bit().constData(), to);
  std::fputc('\n', to);
  std::fflush(to);
}
}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("hopper-emulator"));
  const ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments());
  if (!parsed.options) {
    if (parsed.error.isEmpty()) {
      Say(parsed.help);
      return 0;
    }
    Say(QStringLiteral("hopper-emulator: %1 (see --help)").arg(parsed.error), stderr);
    return 2;
  }
  const EmulatorOptions& options = *parsed.options;

  std::unique_ptr<ByteChannel> channel;
  QString failure;
  if (!options.device.isEmpty()) {
    auto device = std::make_unique<DeviceChannel>();
    failure = device->Open(options.device);
    channel = std::move(device);
  } else {
    auto pty = std::make_unique<PtyChannel>();
    failure = pty->Open(options.linkPath);
    channel = std::move(pty);
  }
  if (!failure.isEmpty()) {
    Say(QStringLiteral("hopper-emulator: %1").arg(failure), stderr);
    return 1;
  }
  Say(QStringLiteral("hopper-emulator: the tool should open %1").arg(channel->FarEndName()));
  if (!options.linkPath.isEmpty() && options.device.isEmpty())
    Say(QStringLiteral("hopper-emulator: linked as %1").arg(options.linkPath));
  Say(QStringLiteral("hopper-emulator: p + Enter (or SIGUSR1) switches the hopper on, q + Enter quits"));

  TrafficLog log = TrafficLog::ToStandardOutput();
  HopperEmulator emulator(options.config, *channel, log);
  emulator.SetByteTimeUs(options.byteTimeUs);
  if (options.powerOnDelayMs) emulator.PowerOnAfter(*options.powerOnDelayMs);
  if (options.powerOnWhenOpenedMs) emulator.PowerOnWhenOpened(*options.powerOnWhenOpenedMs);
  if (options.powerOnEveryMs) emulator.PowerOnEvery(*options.powerOnEveryMs);

  ConsoleControl control;
  QObject::connect(&control, &ConsoleControl::PowerOnAsked, &emulator, &HopperEmulator::PowerOn);
  QObject::connect(&control, &ConsoleControl::QuitAsked, &app, &QCoreApplication::quit);
  return app.exec();
}
