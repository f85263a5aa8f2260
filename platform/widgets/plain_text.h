#pragma once
// Texts that come from outside the program (file names, device paths, settings values) are shown
// exactly as they are: never read as markup, never as a link.

#include <QString>

namespace hopper {

// `text` as a tool tip (which guesses rich text from its content) shows it: unchanged when it
// cannot be taken for markup, escaped otherwise.
QString PlainToolTip(const QString& text);

}  // namespace hopper
