// The channel a later copy knocks at (Linux): the knock reaches the running copy, a knock with
// nobody listening fails at once, what a crashed copy left at the name is taken over, only this
// user may knock, and the channel goes with its copy.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/copy_channel.h"

using namespace hopper;

class CopyChannelTest : public QObject {
  Q_OBJECT
 private slots:
  void knockReachesTheListener() {
    QTemporaryDir folder;
    const QString name = folder.filePath(QStringLiteral("running.socket"));
    QVERIFY(!CopyChannel::Knock(name, 2000));  // nobody listens yet
    QFile(name).open(QIODevice::WriteOnly);    // what a crashed copy left at the name
    CopyChannel channel;
    QSignalSpy knocked(&channel, &CopyChannel::Knocked);
    QVERIFY(channel.Listen(name));
    QCOMPARE(
        QFileInfo(name).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
        QFile::Permissions());
    QVERIFY(CopyChannel::Knock(name, 2000));
    QVERIFY(CopyChannel::Knock(name, 2000));
    QTRY_COMPARE_WITH_TIMEOUT(knocked.size(), 2, 5000);
  }

  void channelGoesWithItsCopy() {
    QTemporaryDir folder;
    const QString name = folder.filePath(QStringLiteral("running.socket"));
    {
      CopyChannel channel;
      QVERIFY(channel.Listen(name));
    }
    QVERIFY(!QFile::exists(name));
    QVERIFY(!CopyChannel::Knock(name, 2000));
    QVERIFY(!CopyChannel().Listen(folder.filePath(QString(200, QLatin1Char('x')))));  // too long a name
  }
};

QTEST_GUILESS_MAIN(CopyChannelTest)
#include "tst_copy_channel.moc"
