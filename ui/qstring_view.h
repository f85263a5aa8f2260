#pragma once
// The core's texts are std::string_view; the widgets want QString.

#include <QString>
#include <string_view>

namespace hopper {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace hopper
