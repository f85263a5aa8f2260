#pragma once
// Text that comes from outside the program (file names, device paths, values typed on the command
// line) shown on a console or written into a log: control characters appear as escapes, so such
// text can neither move the cursor, colour the screen nor start a line of its own.

#include <string>
#include <string_view>

namespace hopper {

// `text` (UTF-8) with every control character written as an escape: "\n", "\r", "\t", "\x1b" for
// the other C0 codes and DEL, "\u009b" for the C1 codes. Everything else, backslashes included,
// stays as it is.
std::string EscapeControls(std::string_view text);

}  // namespace hopper
