// One executable for the parameter-file area; each part runs as its own QtTest object.

#include <QApplication>

int RunLoadFileTests(int argc, char** argv);
int RunSaveFileTests(int argc, char** argv);
int RunQtFileDialogTests(int argc, char** argv);
int RunBigFileTests(int argc, char** argv);
int RunParameterMenuTests(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failures = 0;
  for (auto run : {RunLoadFileTests, RunSaveFileTests, RunQtFileDialogTests, RunBigFileTests, RunParameterMenuTests}) {
    failures += run(argc, argv);
  }
  return failures;
}
