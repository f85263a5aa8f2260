#pragma once
// Qt keeps one JIT stack for regular expressions per thread, in a thread_local with a destructor.
// In a MinGW build that destructor can run after the runtime has already freed the thread's
// emulated TLS block (mingw-w64 bug 527, GCC bug 80816): a thread that matched an expression
// (the journal's writer does) then crashes in Qt6Core as it ends, and the program hangs at its
// own end. Without the JIT that per-thread stack is never made; the program's few, short
// expressions do not miss it.

namespace hopper {

// Call first in main, before any regular expression is used. Does nothing in other builds.
void KeepRegexJitOffForThreads();

}  // namespace hopper
