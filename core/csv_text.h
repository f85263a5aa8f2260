#pragma once
// Comma-separated values as spreadsheet programs read them: a field with a comma, a quote or a
// line break is quoted, its quotes doubled; each row ends with CR LF.

#include <string>
#include <string_view>
#include <vector>

namespace hopper {

// The byte-order mark that tells a spreadsheet program the file is UTF-8.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string CsvField(std::string_view text);
std::string CsvRow(const std::vector<std::string>& fields);

}  // namespace hopper
