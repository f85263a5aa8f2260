#include "tools/emulator/emulator_options.h"

#include <QCommandLineParser>
#include <fstream>

#include "core/parameter_file.h"

namespace hopper::emulator {

namespace {

QCommandLineOption Valued(const QString& name, const QString& description, const QString& value) {
  return QCommandLineOption(name, description, value);
}

void AddOptions(QCommandLineParser& p) {
  p.setApplicationDescription(QStringLiteral(
      "Plays a coin hopper on a serial line for the Hopper Setting Tool: it reports its 16 coin numbers "
      "on power-on, answers save frames and logs dispense commands.\n"
      "Console keys: p + Enter switches the hopper on (again), q + Enter quits. SIGUSR1 switches it on too."));
  p.addHelpOption();
  p.addOptions({
      Valued("device", "Use this serial device (null-modem cable) instead of a pseudo-terminal.", "path"),
      Valued("link", "Make a symbolic link at this path to the pseudo-terminal's device.", "path"),
      Valued("coins", "Coin numbers, comma-separated, Channel1 first (missing ones are 0).", "list"),
      Valued("coins-file", "Read the coin numbers from a parameter file.", "file"),
      Valued("header", "The report's two header bytes (default 0x01,0x10).", "b1,b2"),
      Valued("info", "The report's info bytes, comma-separated, 1..255 of them.", "list"),
      Valued("info-length", "Send this many info bytes (1..255) of filler.", "n"),
      Valued("echo-timeout", "How long to wait for the echo of 0x82 (default 1000).", "ms"),
      QCommandLineOption("fast", "Send bytes as fast as possible instead of at 9600 baud 8E1."),
      Valued("byte-time", "Time per byte on the line (default 1145).", "us"),
      Valued("power-on-delay", "Switch the hopper on this long after start.", "ms"),
      Valued("power-on-when-opened", "Switch it on this long after the tool first opens the line.", "ms"),
      Valued("power-on-every", "Switch it on again every ms while the tool has the line open (a production line).",
             "ms"),
      QCommandLineOption("bad-report-checksum", "Fault: spoil the report's checksum."),
      QCommandLineOption("bad-readback-checksum", "Fault: spoil the read-back block's checksum."),
      QCommandLineOption("no-echo-wait", "Fault: send 0x83 straight after 0x82, without waiting for the echo."),
      Valued("wrong-ready", "Fault: send this byte instead of the ready byte 0x83.", "byte"),
      QCommandLineOption("no-ack", "Fault: answer a save frame with nothing at all."),
      Valued("wrong-ack", "Fault: send this byte instead of the acknowledgement 0x84.", "byte"),
      Valued("cut-report", "Fault: stop the report after this many bytes; nothing follows it.", "n"),
      QCommandLineOption("info-length-zero", "Fault: a report with info length 0 and no info bytes."),
      Valued("noise", "Fault: send this many random bytes before the report.", "n"),
      Valued("seed", "Seed of the random bytes (default 1).", "n"),
      Valued("pull-cable", "Fault: close the line after this many bytes have been sent.", "n"),
      Valued("readback-change", "Fault: store Channel n one above the value sent, so the read-back differs.", "n"),
      Valued("ack-delay", "Fault: answer a save frame only this long after it came.", "ms"),
      Valued("readback-delay", "Fault: send the read-back this long after the answer to a save.", "ms"),
  });
}

std::optional<long long> Number(const QString& text, long long low, long long high) {
  bool ok = false;
  const long long v = text.trimmed().toLongLong(&ok, 0);
  if (!ok || v < low || v > high) return std::nullopt;
  return v;
}

std::optional<std::vector<std::uint8_t>> ByteList(const QString& text) {
  std::vector<std::uint8_t> bytes;
  for (const QString& part : text.split(QLatin1Char(','))) {
    const auto b = ParseByte(part);
    if (!b) return std::nullopt;
    bytes.push_back(*b);
  }
  return bytes;
}

QString CoinsFromList(const QString& text, CoinNumbers& coins) {
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() > static_cast<qsizetype>(kCoinCount)) return QStringLiteral("--coins takes at most 16 values");
  coins.fill(0);
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const auto v = Number(parts[i], 0, 65535);
    if (!v) return QStringLiteral("--coins: \"%1\" is not a coin number 0..65535").arg(parts[i]);
    coins[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(*v);
  }
  return {};
}

QString CoinsFromFile(const QString& path, CoinNumbers& coins) {
  std::ifstream in(path.toLocal8Bit().toStdString(), std::ios::binary);
  if (!in) return QStringLiteral("cannot read the parameter file %1").arg(path);
  ItemReader reader = ItemReader::FromStream(in);
  const LoadResult result = LoadParameterItems(reader);
  if (result.outcome == LoadOutcome::Rejected)
    return QStringLiteral("%1: item %2 is not a number").arg(path).arg(result.channel + 1);
  if (result.outcome == LoadOutcome::Short)
    return QStringLiteral("%1: only %2 of 16 values").arg(path).arg(result.channel);
  for (std::size_t i = 0; i < kCoinCount; ++i) {
    const std::uint32_t v = EntryValue(result.entries[i]);
    if (v > 65535) return QStringLiteral("%1: value %2 is above 65535").arg(path).arg(i + 1);
    coins[i] = static_cast<std::uint16_t>(v);
  }
  return {};
}

}  // namespace

std::optional<std::uint8_t> ParseByte(const QString& text) {
  const auto v = Number(text, 0, 255);
  if (!v) return std::nullopt;
  return static_cast<std::uint8_t>(*v);
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser p;
  AddOptions(p);
  ParsedCommandLine out;
  out.help = p.helpText();
  if (!p.parse(arguments)) {
    out.error = p.errorText();
    return out;
  }
  if (p.isSet(QStringLiteral("help"))) return out;
  if (!p.positionalArguments().isEmpty()) {
    out.error = QStringLiteral("unexpected argument: %1").arg(p.positionalArguments().first());
    return out;
  }

  EmulatorOptions o;
  Faults& f = o.config.faults;
  QString error;
  auto fail = [&](const QString& text) {
    if (error.isEmpty()) error = text;
  };
  auto value = [&](const char* name) { return p.value(QLatin1String(name)); };
  auto set = [&](const char* name) { return p.isSet(QLatin1String(name)); };
  auto count = [&](const char* name, long long low, long long high) -> std::optional<long long> {
    if (!set(name)) return std::nullopt;
    const auto v = Number(value(name), low, high);
    if (!v) fail(QStringLiteral("--%1 needs a number %2..%3").arg(QLatin1String(name)).arg(low).arg(high));
    return v;
  };
  auto byte = [&](const char* name) -> std::optional<std::uint8_t> {
    if (!set(name)) return std::nullopt;
    const auto b = ParseByte(value(name));
    if (!b) fail(QStringLiteral("--%1 needs a byte 0..255 (decimal or 0x..)").arg(QLatin1String(name)));
    return b;
  };

  o.device = value("device");
  o.linkPath = value("link");
  if (set("device") && set("link")) fail(QStringLiteral("--link names a pseudo-terminal; a --device needs none"));
  if (set("coins") && set("coins-file")) fail(QStringLiteral("give --coins or --coins-file, not both"));
  if (set("coins")) fail(CoinsFromList(value("coins"), o.config.coins));
  if (set("coins-file")) fail(CoinsFromFile(value("coins-file"), o.config.coins));
  if (set("header")) {
    const auto h = ByteList(value("header"));
    if (!h || h->size() != 2) fail(QStringLiteral("--header needs two bytes, such as 0x01,0x10"));
    else {
      o.config.header1 = (*h)[0];
      o.config.header2 = (*h)[1];
    }
  }
  if (set("info") && set("info-length")) fail(QStringLiteral("give --info or --info-length, not both"));
  if (set("info")) {
    const auto info = ByteList(value("info"));
    if (!info || info->empty() || info->size() > 255) fail(QStringLiteral("--info needs 1..255 bytes"));
    else o.config.info = *info;
  }
  if (const auto n = count("info-length", 1, 255)) {
    o.config.info.resize(static_cast<std::size_t>(*n));
    for (std::size_t i = 0; i < o.config.info.size(); ++i) o.config.info[i] = static_cast<std::uint8_t>('A' + i % 26);
  }
  if (const auto ms = count("echo-timeout", 1, 600000)) o.config.echoTimeoutMs = static_cast<int>(*ms);
  if (const auto us = count("byte-time", 0, 1000000)) o.byteTimeUs = static_cast<int>(*us);
  if (set("fast")) o.byteTimeUs = 0;
  if (const auto ms = count("power-on-delay", 0, 86400000)) o.powerOnDelayMs = static_cast<int>(*ms);
  if (const auto ms = count("power-on-when-opened", 0, 86400000)) o.powerOnWhenOpenedMs = static_cast<int>(*ms);
  if (const auto ms = count("power-on-every", 1, 86400000)) o.powerOnEveryMs = static_cast<int>(*ms);

  f.badReportChecksum = set("bad-report-checksum");
  f.badReadBackChecksum = set("bad-readback-checksum");
  f.noEchoWait = set("no-echo-wait");
  f.wrongReady = byte("wrong-ready");
  f.noAck = set("no-ack");
  f.wrongAck = byte("wrong-ack");
  if (f.noAck && f.wrongAck) fail(QStringLiteral("give --no-ack or --wrong-ack, not both"));
  if (const auto n = count("cut-report", 0, 1000)) f.cutReportAfter = static_cast<std::size_t>(*n);
  f.infoLengthZero = set("info-length-zero");
  if (const auto n = count("noise", 0, 100000)) f.noiseBytes = static_cast<std::size_t>(*n);
  if (const auto n = count("seed", 0, 0xFFFFFFFFLL)) f.noiseSeed = static_cast<std::uint32_t>(*n);
  if (const auto n = count("pull-cable", 0, 100000000)) f.pullCableAfter = static_cast<std::size_t>(*n);
  if (const auto n = count("readback-change", 1, 16)) f.readBackChange = static_cast<std::size_t>(*n - 1);
  if (const auto ms = count("ack-delay", 0, 600000)) f.ackDelayMs = static_cast<int>(*ms);
  if (const auto ms = count("readback-delay", 0, 600000)) f.readBackDelayMs = static_cast<int>(*ms);

  if (!error.isEmpty()) {
    out.error = error;
    return out;
  }
  out.options = o;
  return out;
}

}  // namespace hopper::emulator
