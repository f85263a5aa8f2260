// The simulation window's tests: its plain rules first, then the window itself and the hand-over with the main window.

#include <QApplication>

int RunPromptAnimationTests(int argc, char** argv);
int RunForm3ScreenTests(int argc, char** argv);
int RunForm3AnimationTests(int argc, char** argv);
int RunForm3LineTests(int argc, char** argv);
int RunHandOverTests(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failures = 0;
  failures += RunPromptAnimationTests(argc, argv);
  failures += RunForm3ScreenTests(argc, argv);
  failures += RunForm3AnimationTests(argc, argv);
  failures += RunForm3LineTests(argc, argv);
  failures += RunHandOverTests(argc, argv);
  return failures;
}
