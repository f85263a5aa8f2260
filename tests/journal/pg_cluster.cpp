#include "pg_cluster.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

namespace hopper::test {

namespace {
constexpr int kProgramLimitMs = 120000;

QString NewestPostgresBin() {
  QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
  for (const QString& v : versions) {
    const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(v);
    if (QFile::exists(bin + QStringLiteral("/initdb"))) return bin;
  }
  return {};
}
}  // namespace

PgCluster::PgCluster() : bin_(NewestPostgresBin()) {
  if (bin_.isEmpty()) {
    problem_ = QStringLiteral("no PostgreSQL server programs (/usr/lib/postgresql/*/bin; Debian's postgresql)");
    return;
  }
  if (geteuid() == 0) {
    owner_ = QStringLiteral("postgres");
    // The server's user must reach its folder, which the test's user made.
    QFile::setPermissions(dir_.path(),
                          QFile::permissions(dir_.path()) | QFileDevice::ExeOther | QFileDevice::ReadOther);
    if (QProcess::execute(QStringLiteral("chown"), {owner_, dir_.path()}) != 0) {
      problem_ = QStringLiteral("the folder could not be given to the postgres user");
      return;
    }
  }
  if (!Run({bin_ + QStringLiteral("/initdb"), QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
            QStringLiteral("--auth=trust"), QStringLiteral("-U"), User()}))
    problem_ = QStringLiteral("initdb failed");
}

PgCluster::~PgCluster() { Stop(); }

QString PgCluster::User() const {
  if (!owner_.isEmpty()) return owner_;
  const passwd* me = getpwuid(geteuid());
  return me ? QString::fromLocal8Bit(me->pw_name) : QStringLiteral("postgres");
}

bool PgCluster::Run(const QStringList& arguments) {
  QProcess process;
  QStringList command = arguments;
  if (!owner_.isEmpty()) command = QStringList{QStringLiteral("-u"), owner_, QStringLiteral("--")} + command;
  process.setProgram(owner_.isEmpty() ? command.takeFirst() : QStringLiteral("runuser"));
  process.setArguments(command);
  process.setWorkingDirectory(dir_.path());
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start();
  if (!process.waitForFinished(kProgramLimitMs) || process.exitCode() != 0) {
    qWarning("%s: %s", qPrintable(arguments.first()), process.readAll().constData());
    return false;
  }
  return true;
}

bool PgCluster::Start() {
  if (!problem_.isEmpty()) return false;
  if (running_) return true;
  running_ = Run({bin_ + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
                  QStringLiteral("-l"), dir_.filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                  QStringLiteral("-o"), QStringLiteral("-k %1 -c listen_addresses=''").arg(dir_.path()),
                  QStringLiteral("start")});
  return running_;
}

bool PgCluster::Stop() {
  if (!running_) return true;
  running_ = !Run({bin_ + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
                   QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
  return !running_;
}

QString PgCluster::Url() const {
  return QStringLiteral("postgresql:///postgres?host=%1&user=%2").arg(dir_.path(), User());
}

TableLock::TableLock(const JournalTarget& server) : connection_(QStringLiteral("locker")) {
  QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
  locker.setDatabaseName(server.database);
  locker.setHostName(server.host);
  locker.setUserName(server.user);
  if (!locker.open()) {
    problem_ = locker.lastError().text();
    return;
  }
  QSqlQuery lock(locker);
  held_ = lock.exec(QStringLiteral("BEGIN")) &&
          lock.exec(QStringLiteral("LOCK TABLE journal_entries IN ACCESS EXCLUSIVE MODE"));
  if (!held_) problem_ = lock.lastError().text();
}

TableLock::~TableLock() {
  Release();
  QSqlDatabase::database(connection_, false).close();
  QSqlDatabase::removeDatabase(connection_);
}

bool TableLock::Release() {
  if (!held_) return true;
  QSqlQuery commit(QSqlDatabase::database(connection_, false));
  held_ = !commit.exec(QStringLiteral("COMMIT"));
  return !held_;
}

}  // namespace hopper::test
