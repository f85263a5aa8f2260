// The send animation of the simulation window, and the messages it gives when its port fails it.

#include <QAbstractButton>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "simulation_fixture.h"

using hopper::OpenResult;

class Form3AnimationTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { UseTemporarySettings(); }

  void animationShowsTheThreePicturesThenEmpties() {
    QTemporaryDir folder;
    const QList<QSize> sizes{{10, 5}, {20, 6}, {30, 7}};
    for (int i = 0; i < 3; ++i) {
      QImage picture(sizes[i], QImage::Format_RGB32);
      picture.fill(Qt::red);
      QVERIFY(picture.save(folder.filePath(QStringLiteral("Ar%1.bmp").arg(i + 1)), "BMP"));
    }
    Simulation sim(std::make_unique<FakeSerialPort>(), folder.path());
    QVERIFY(sim.form->OpenPort());  // the presses' bytes go out, so no message interrupts
    auto* area = AnimationArea(*sim.form);
    auto* timer = AnimationTimer(*sim.form);
    DispenseButton(*sim.form)->click();
    QVERIFY(timer->isActive());
    sim.StopTimers();
    for (const QSize& size : sizes) {
      sim.form->AnimationTick();
      QCOMPARE(area->pixmap().size(), size);
      QCOMPARE(area->pos(), QPoint(80, 128));
    }
    timer->start();
    sim.form->AnimationTick();
    QVERIFY(area->pixmap().isNull());
    QVERIFY(!timer->isActive());
    sim.form->AnimationTick();  // idle: nothing more happens
    QVERIFY(area->pixmap().isNull());

    // A press while it runs starts it again from the first picture.
    StartUpButton(*sim.form)->click();
    sim.StopTimers();
    sim.form->AnimationTick();
    sim.form->AnimationTick();
    DispenseButton(*sim.form)->click();
    sim.StopTimers();
    sim.form->AnimationTick();
    QCOMPARE(area->pixmap().size(), sizes[0]);
    QVERIFY(sim.messages.shown.isEmpty());
  }

  void aMissingOrBrokenPictureLeavesTheAreaEmpty() {
    QTemporaryDir folder;
    QFile broken(folder.filePath(QStringLiteral("Ar2.bmp")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("BM not a picture at all");
    broken.close();
    Simulation sim(std::make_unique<FakeSerialPort>(), folder.path());
    QVERIFY(sim.form->OpenPort());
    DispenseButton(*sim.form)->click();
    sim.StopTimers();
    for (int tick = 0; tick < 4; ++tick) {
      sim.form->AnimationTick();
      QVERIFY(AnimationArea(*sim.form)->pixmap().isNull());
    }
    QVERIFY(sim.messages.shown.isEmpty());
  }

  void theAnimationRunsOutByItself() {
    Simulation sim(std::make_unique<FakeSerialPort>());
    DispenseButton(*sim.form)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!AnimationArea(*sim.form)->pixmap().isNull(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!AnimationTimer(*sim.form)->isActive(), 5000);
    QVERIFY(AnimationArea(*sim.form)->pixmap().isNull());
  }

  void theProgramFolderHoldsTheArrowPictures() {
    for (int n = 1; n <= 3; ++n) {
      const QPixmap picture = hopper::PictureFolder(ProgramFolder()).Load(QStringLiteral("Ar%1.bmp").arg(n));
      QCOMPARE(picture.size(), QSize(78, 33));
    }
  }

  void openFailuresAreReported_data() {
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("text");
    QTest::newRow("invalid") << int(OpenResult::InvalidPort) << "Port Number Error";
    QTest::newRow("in use") << int(OpenResult::PortInUse) << "Port Already In Use";
    QTest::newRow("access") << int(OpenResult::AccessDenied) << "Port Access Denied";
    QTest::newRow("other") << int(OpenResult::OtherFailure) << "Port Open Error";
  }
  void openFailuresAreReported() {
    QFETCH(int, result);
    QFETCH(QString, text);
    auto fake = std::make_unique<FakeSerialPort>();
    fake->nextOpen.result = static_cast<OpenResult>(result);
    Simulation sim(std::move(fake));
    QVERIFY(!sim.form->OpenPort());
    QCOMPARE(sim.fake->PortNumber(), kTestPort);
    QCOMPARE(sim.messages.Texts(), QStringList{text});
    QCOMPARE(sim.messages.shown.first().icon, hopper::MessageIcon::Critical);
    QCOMPARE(sim.messages.shown.first().title, QStringLiteral("Error"));
  }

  void aFailedWriteIsReportedOncePerPress_data() {
    QTest::addColumn<int>("writesBeforeFailure");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("no write goes out") << 0 << QByteArray();
    QTest::newRow("the line breaks after one byte") << 1 << QByteArray("\x81", 1);
  }
  void aFailedWriteIsReportedOncePerPress() {
    QFETCH(int, writesBeforeFailure);
    QFETCH(QByteArray, written);
    auto fake = std::make_unique<FakeSerialPort>();
    fake->writesBeforeFailure = writesBeforeFailure;
    Simulation sim(std::move(fake));
    QVERIFY(sim.form->OpenPort());
    DispenseButton(*sim.form)->click();
    QCOMPARE(sim.messages.Texts(), QStringList{QStringLiteral("Send Error")});
    QCOMPARE(sim.messages.shown.first().icon, hopper::MessageIcon::Exclamation);
    QCOMPARE(sim.fake->written, written);  // never the tail of a command without its head
    StartUpButton(*sim.form)->click();
    QCOMPARE(sim.messages.shown.size(), 2);
    QVERIFY(AnimationTimer(*sim.form)->isActive());  // the window goes on as after any press
  }
};

int RunForm3AnimationTests(int argc, char** argv) {
  Form3AnimationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "simulation_animation_test.moc"
