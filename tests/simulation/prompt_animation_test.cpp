// The prompt typing and the send animation, driven tick by tick.

#include <QtTest>
#include <string>

#include "core/send_animation.h"
#include "core/simulation_prompt.h"

using hopper::AnimationEffect;
using hopper::PromptTyper;
using hopper::SendAnimation;

class PromptAnimationTest : public QObject {
  Q_OBJECT
 private slots:
  void promptTextsAreExact() {
    QCOMPARE(hopper::kOpeningPrompt.size(), std::size_t{73});
    QCOMPARE(hopper::kSelectPrompt.size(), std::size_t{43});
    QVERIFY(hopper::kOpeningPrompt.find("Hopper!While") != std::string_view::npos);
    QCOMPARE(std::string(hopper::kSelectPrompt.substr(0, 8)), std::string("       S"));
  }

  void promptCycle_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("opening") << QString::fromLatin1(hopper::kOpeningPrompt.data());
    QTest::newRow("select") << QString::fromLatin1(hopper::kSelectPrompt.data());
    QTest::newRow("empty") << QString();
  }
  // Grows one character a tick up to L, shows the whole text once more, then starts over.
  void promptCycle() {
    QFETCH(QString, text);
    const std::string t = text.toStdString();
    const int length = static_cast<int>(t.size());
    PromptTyper typer;
    typer.Restart(t);
    QCOMPARE(typer.Position(), 0);
    for (int cycle = 0; cycle < 2; ++cycle) {
      for (int tick = 1; tick <= length; ++tick) QCOMPARE(typer.Tick(), t.substr(0, tick));
      QCOMPARE(typer.Tick(), t);  // tick L + 1
      QCOMPARE(typer.Position(), 0);
    }
  }

  void selectPromptShowsItsFirstLetterAtTheEighthTick() {
    PromptTyper typer;
    typer.Restart(hopper::kSelectPrompt);
    for (int tick = 1; tick <= 7; ++tick) QCOMPARE(typer.Tick(), std::string(tick, ' '));
    QCOMPARE(typer.Tick(), std::string("       S"));
  }

  void restartBeginsAgainFromTheFirstCharacter() {
    PromptTyper typer;
    typer.Restart(hopper::kOpeningPrompt);
    for (int tick = 0; tick < 20; ++tick) typer.Tick();
    typer.Restart(hopper::kSelectPrompt);
    QCOMPARE(typer.Position(), 0);
    QCOMPARE(typer.Tick(), std::string(" "));
  }

  void animationShowsThreePicturesThenClearsAndStops() {
    SendAnimation animation;
    QCOMPARE(animation.Tick().effect, AnimationEffect::Nothing);  // nothing sent yet
    animation.Restart();
    for (const auto* name : {"Ar1.bmp", "Ar2.bmp", "Ar3.bmp"}) {
      const auto step = animation.Tick();
      QCOMPARE(step.effect, AnimationEffect::ShowPicture);
      QCOMPARE(std::string(step.picture), std::string(name));
    }
    QCOMPARE(animation.ArrowStep(), std::uint8_t{4});
    QCOMPARE(animation.Tick().effect, AnimationEffect::ClearAndStop);
    QCOMPARE(animation.ArrowStep(), std::uint8_t{4});
  }

  void aNewCommandRestartsTheAnimation() {
    SendAnimation animation;
    animation.Restart();
    animation.Tick();
    animation.Tick();
    animation.Restart();
    QCOMPARE(std::string(animation.Tick().picture), std::string("Ar1.bmp"));
  }
};

int RunPromptAnimationTests(int argc, char** argv) {
  PromptAnimationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "prompt_animation_test.moc"
