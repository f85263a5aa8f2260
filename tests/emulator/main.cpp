// The emulator's tests: its decisions alone, then on a line in memory and on pseudo-terminals,
// then its command line.

#include <QCoreApplication>
#include <QtTest>

#include "tests/emulator/hopper_side_test.h"
#include "tests/emulator/memory_line_test.h"
#include "tests/emulator/options_test.h"
#include "tests/emulator/pty_line_test.h"

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  HopperSideTest side;
  MemoryLineTest memory;
  PtyLineTest pty;
  OptionsTest options;
  int failures = 0;
  for (QObject* test : std::initializer_list<QObject*>{&side, &memory, &pty, &options}) {
    failures += QTest::qExec(test, argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
