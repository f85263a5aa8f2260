// The program itself, started as a separate process on a pseudo-terminal hopper: a second copy
// ends at once without a word, a copy that crashed does not keep the next one out, and a
// termination request closes the program as Exit does.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <csignal>

#include "core/setting_frames.h"
#include "platform/files/settings_store.h"
#include "platform/serial/device_access.h"
#include "pty_peer.h"
#include "settings_sandbox.h"

using namespace hopper;
using test::PtyPeer;

namespace {

QProcess* StartCopy(QObject* parent) {
  auto* process = new QProcess(parent);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.qpa.*=false"));
  process->setProcessEnvironment(env);  // XDG_CONFIG_HOME is the sandbox's, set in this process
  process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process->start(QStringLiteral(HOPPER_TOOL_PATH), {});
  return process;
}

// A running copy answers a power-on report with the echo of the sync byte.
bool Answers(PtyPeer& peer) {
  const std::uint8_t info[] = {0};
  const QByteArray report = [&] {
    const auto frame = BuildReportFrame(1, 2, info, CoinNumbers{});
    return QByteArray(reinterpret_cast<const char*>(frame.data()), static_cast<qsizetype>(frame.size()));
  }();
  // After a handshake an odd byte puts the copy back to waiting for a report, discarding what
  // waits with it: a second try then goes through.
  // A copy starting on a busy machine (a sanitizer build, a parallel test run) may take a while
  // to open its port: keep asking for a minute.
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (!peer.write(QByteArray(1, char(0x00)) + report + char(0x82))) return false;
    if (peer.waitForBytes(1, 3000).endsWith(char(0x82))) return true;
  }
  return false;
}

// How the line stands for the next program to open it: its exclusive mode (TIOCEXCL), and
// whether it can be locked the way terminal programs lock it.
struct LineState {
  bool exclusive = false;
  bool lockable = false;
};
LineState LineStateOf(const QString& device) {
  LineState state;
  const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return state;
  int exclusive = 0;
  state.exclusive = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
  state.lockable = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return state;
}

}  // namespace

class SingleCopyTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<test::SettingsSandbox> sandbox_;
  std::unique_ptr<PtyPeer> peer_;

 private slots:
  void initTestCase() {
    sandbox_ = std::make_unique<test::SettingsSandbox>();
    peer_ = std::make_unique<PtyPeer>();
    QVERIFY(peer_->IsValid());
    SettingsStore().SetMappedDevice(1, peer_->path());
  }

  void secondCopyEndsSilently() {
    QProcess* first = StartCopy(this);
    QVERIFY(first->waitForStarted(10000));
    QVERIFY(Answers(*peer_));

    QProcess* second = StartCopy(this);
    // A second copy that showed anything would wait on it for ever; it must end by itself.
    QVERIFY(second->waitForFinished(30000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);
    QVERIFY(Answers(*peer_));  // the first copy still has the port

    first->kill();  // a crash: it leaves its lock behind
    QVERIFY(first->waitForFinished(10000));
    // The lock lives in the per-user runtime folder, which a reboot clears.
    QVERIFY(QFile::exists(QDir(sandbox_->path()).filePath(QStringLiteral("runtime/hopper-kit/running.lock"))));
  }

  void crashedCopyDoesNotKeepTheNextOut() {
    // A fresh line: the crashed copy left its even-parity settings on the old pseudo-terminal,
    // where the pty driver cannot take parity and glibc then refuses the unchanged settings.
    peer_ = std::make_unique<PtyPeer>();
    SettingsStore().SetMappedDevice(1, peer_->path());
    QProcess* next = StartCopy(this);
    QVERIFY(next->waitForStarted(10000));
    QVERIFY(Answers(*peer_));
    QCOMPARE(next->state(), QProcess::Running);
    next->kill();
    QVERIFY(next->waitForFinished(10000));
  }

  void terminationRequestClosesAsExitDoes_data() {
    QTest::addColumn<int>("request");
    QTest::newRow("SIGTERM (kill, a service manager)") << int(SIGTERM);
    QTest::newRow("SIGHUP (logout)") << int(SIGHUP);
  }
  void terminationRequestClosesAsExitDoes() {
    QFETCH(int, request);
    peer_ = std::make_unique<PtyPeer>();
    SettingsStore().SetMappedDevice(1, peer_->path());
    QSettings(SettingsStore::FilePath(), QSettings::IniFormat).remove(QStringLiteral("Setting/COMPORT"));
    QProcess* copy = StartCopy(this);
    QVERIFY(copy->waitForStarted(10000));
    QVERIFY(Answers(*peer_));
    const LineState held = LineStateOf(peer_->path());
    QVERIFY(held.exclusive && !held.lockable);

    QCOMPARE(::kill(static_cast<pid_t>(copy->processId()), request), 0);
    QVERIFY(copy->waitForFinished(30000));
    QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
    QCOMPARE(copy->exitCode(), 0);
    QCOMPARE(
        QSettings(SettingsStore::FilePath(), QSettings::IniFormat).value(QStringLiteral("Setting/COMPORT")).toString(),
        QStringLiteral("1"));
    const LineState after = LineStateOf(peer_->path());
    QVERIFY(!after.exclusive && after.lockable);
    QCOMPARE(AccessOf(peer_->path()).holder, 0);  // no lock file left behind
    QVERIFY(!QFile::exists(QDir(sandbox_->path()).filePath(QStringLiteral("runtime/hopper-kit/running.lock"))));
  }
};

QTEST_GUILESS_MAIN(SingleCopyTest)
#include "tst_single_copy.moc"
