#include "core/line_check.h"

namespace hopper {

namespace {

const char* ParityName(LineParity parity) {
  switch (parity) {
    case LineParity::Even: return "even parity";
    case LineParity::Odd: return "odd parity";
    case LineParity::None: break;
  }
  return "no parity";
}

std::string Plural(int count, const char* one) { return std::to_string(count) + " " + one + (count == 1 ? "" : "s"); }

}  // namespace

std::vector<std::string> LineSettingTrouble(const LineSettings& wanted, const LineSettings& taken) {
  const std::string advice = ": use another adapter or a newer kernel";
  std::vector<std::string> trouble;
  if (taken.baudRate != wanted.baudRate)
    trouble.push_back("this adapter's driver does not do " + std::to_string(wanted.baudRate) + " baud (it runs at " +
                      std::to_string(taken.baudRate) + ")" + advice);
  if (taken.parity != wanted.parity)
    trouble.push_back(std::string("this adapter's driver does not do ") + ParityName(wanted.parity) + advice);
  if (taken.dataBits != wanted.dataBits)
    trouble.push_back("this adapter's driver does not do " + Plural(wanted.dataBits, "data bit") + advice);
  if (taken.stopBits != wanted.stopBits)
    trouble.push_back("this adapter's driver does not do " + Plural(wanted.stopBits, "stop bit") + advice);
  return trouble;
}

std::string LineErrorText(const LineErrorCounts& counts) {
  return "Parity errors: " + std::to_string(counts.parity) + ", framing errors: " + std::to_string(counts.framing);
}

}  // namespace hopper
