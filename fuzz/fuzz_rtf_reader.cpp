// Feeds arbitrary bytes to the rich-text reader: whatever a damaged or hostile Manual.rtf
// holds, reading it and laying it out must end, without a crash, a hang or a runaway allocation.

#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

#include "platform/rich_text/rtf_reader.h"

namespace {

// Fonts and text layout need a GUI application; no display is used. Made on first use, so the
// target also runs under a driver that does not call LLVMFuzzerInitialize.
void EnsureApplication() {
  if (QGuiApplication::instance()) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "fuzz_rtf_reader";
  static char* argv[] = {name, nullptr};
  static QGuiApplication application(argc, argv);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  EnsureApplication();
  QTextDocument document;
  hopper::RtfReader::Read(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), &document);
  // Laying the document out is what the viewer does next; it must cope with what was built.
  document.setTextWidth(377);
  (void)document.size();
  return 0;
}
