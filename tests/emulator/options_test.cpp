// The hopper-emulator command line.

#include "tests/emulator/options_test.h"

#include <QTemporaryDir>
#include <QtTest>

#include "tools/emulator/emulator_options.h"

using namespace hopper::emulator;

namespace {
ParsedCommandLine Parse(const QString& line) {
  QStringList args{QStringLiteral("hopper-emulator")};
  if (!line.isEmpty()) args += line.split(QLatin1Char(' '));
  return ParseCommandLine(args);
}
}  // namespace

void OptionsTest::badArgumentsAreRefused_data() {
  QTest::addColumn<QString>("line");
  QTest::addColumn<QString>("error");
  QTest::newRow("coin too large") << "--coins 1,70000"
                                  << "70000";
  QTest::newRow("seventeen coins") << "--coins 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17"
                                   << "at most 16";
  QTest::newRow("byte too large") << "--wrong-ready 300"
                                  << "--wrong-ready needs a byte";
  QTest::newRow("not a number") << "--cut-report many"
                                << "--cut-report needs a number";
  QTest::newRow("info length 0 by count") << "--info-length 0"
                                          << "--info-length";
  QTest::newRow("256 info bytes") << "--info-length 256"
                                  << "--info-length";
  QTest::newRow("one header byte") << "--header 1"
                                   << "two bytes";
  QTest::newRow("both answers spoilt") << "--no-ack --wrong-ack 1"
                                       << "not both";
  QTest::newRow("missing file") << "--coins-file /no/such/file.txt"
                                << "cannot read";
  QTest::newRow("unknown option") << "--blink"
                                  << "blink";
  QTest::newRow("link with a device") << "--device /dev/ttyS0 --link /tmp/x"
                                      << "needs none";
  QTest::newRow("stray argument") << "now"
                                  << "unexpected argument";
}

void OptionsTest::badArgumentsAreRefused() {
  QFETCH(QString, line);
  QFETCH(QString, error);
  const ParsedCommandLine parsed = Parse(line);
  QVERIFY(!parsed.options);
  QVERIFY2(parsed.error.contains(error), qPrintable(parsed.error));
}

void OptionsTest::faultOptionsAreTaken() {
  const ParsedCommandLine parsed = Parse(
      "--bad-report-checksum --bad-readback-checksum --no-echo-wait --wrong-ready 0x85 --wrong-ack 133 "
      "--cut-report 12 --info-length-zero --noise 9 --seed 42 --pull-cable 30 --readback-change 16 --fast "
      "--power-on-when-opened 300 --ack-delay 500 --readback-delay 700 "
      "--header 0x02,0x20 --info-length 3 --echo-timeout 250");
  QVERIFY2(parsed.options, qPrintable(parsed.error));
  const EmulatorOptions& o = *parsed.options;
  const Faults& f = o.config.faults;
  QVERIFY(f.badReportChecksum && f.badReadBackChecksum && f.noEchoWait && f.infoLengthZero && !f.noAck);
  QCOMPARE(f.wrongReady, std::optional<std::uint8_t>(0x85));
  QCOMPARE(f.wrongAck, std::optional<std::uint8_t>(0x85));
  QCOMPARE(f.cutReportAfter, std::optional<std::size_t>(12));
  QCOMPARE(f.noiseBytes, std::size_t{9});
  QCOMPARE(f.noiseSeed, 42u);
  QCOMPARE(f.pullCableAfter, std::optional<std::size_t>(30));
  QCOMPARE(f.readBackChange, std::optional<std::size_t>(15));
  QCOMPARE(f.ackDelayMs, 500);
  QCOMPARE(f.readBackDelayMs, 700);
  QCOMPARE(o.byteTimeUs, 0);
  QCOMPARE(o.powerOnWhenOpenedMs, std::optional<int>(300));
  QCOMPARE(o.config.header1, std::uint8_t{0x02});
  QCOMPARE(o.config.info.size(), std::size_t{3});
  QCOMPARE(o.config.echoTimeoutMs, 250);

  const ParsedCommandLine plain = Parse({});
  QVERIFY(plain.options);
  QCOMPARE(plain.options->byteTimeUs, kByteTimeUs);
  QVERIFY(!plain.options->powerOnDelayMs && !plain.options->powerOnWhenOpenedMs);
}

void OptionsTest::coinsComeFromAListOrAFile() {
  const ParsedCommandLine listed = Parse("--coins 1000,500");
  QVERIFY(listed.options);
  QCOMPARE(listed.options->config.coins[1], std::uint16_t{500});
  QCOMPARE(listed.options->config.coins[2], std::uint16_t{0});

  QTemporaryDir dir;
  const QString path = dir.filePath("set.txt");
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  for (int i = 1; i <= 16; ++i) file.write(QByteArray(" ") + QByteArray::number(i * 10) + "\r\n");
  file.close();
  const ParsedCommandLine fromFile = Parse("--coins-file " + path);
  QVERIFY2(fromFile.options, qPrintable(fromFile.error));
  QCOMPARE(fromFile.options->config.coins[15], std::uint16_t{160});

  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(" 99999\r\n");
  file.close();
  QVERIFY(Parse("--coins-file " + path).error.contains("only 1 of 16"));
}

void OptionsTest::helpListsEveryOption() {
  const ParsedCommandLine parsed = Parse("--help");
  QVERIFY(!parsed.options);
  QVERIFY(parsed.error.isEmpty());
  for (const char* option : {"--device",
                             "--link",
                             "--coins",
                             "--coins-file",
                             "--header",
                             "--info",
                             "--info-length",
                             "--echo-timeout",
                             "--fast",
                             "--byte-time",
                             "--power-on-delay",
                             "--power-on-when-opened",
                             "--bad-report-checksum",
                             "--bad-readback-checksum",
                             "--no-echo-wait",
                             "--wrong-ready",
                             "--no-ack",
                             "--wrong-ack",
                             "--cut-report",
                             "--info-length-zero",
                             "--noise",
                             "--seed",
                             "--pull-cable",
                             "--readback-change",
                             "--ack-delay",
                             "--readback-delay"}) {
    QVERIFY2(parsed.help.contains(QLatin1String(option)), option);
  }
}
