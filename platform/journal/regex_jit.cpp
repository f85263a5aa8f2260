#include "platform/journal/regex_jit.h"

#include <QByteArray>

namespace hopper {

void KeepRegexJitOffForThreads() {
#ifdef __MINGW32__
  // Qt reads the switch once, when it compiles the program's first expression.
  qputenv("QT_ENABLE_REGEXP_JIT", "0");
#endif
}

}  // namespace hopper
