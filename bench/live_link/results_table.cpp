#include "results_table.h"

#include <sys/utsname.h>
#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace bench {

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  // Nearest rank: the smallest value with at least `fraction` of the values at or below it.
  const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size())));
  return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

double Largest(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

std::string Ms(double ms, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f ms", decimals, ms);
  return text;
}

std::string Ratio(double value, double floor) {
  if (floor <= 0) return "—";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f×", value / floor);
  return text;
}

std::string YesNo(bool met) { return met ? "yes" : "**no**"; }

std::string ResultsTable::MachineLine() {
  std::string cpu = "unknown CPU";
  std::ifstream info("/proc/cpuinfo");
  for (std::string line; std::getline(info, line);) {
    if (line.rfind("model name", 0) == 0) {
      cpu = line.substr(line.find(':') + 2);
      break;
    }
  }
  utsname system{};
  ::uname(&system);
  std::ostringstream out;
  out << cpu << " (" << std::thread::hardware_concurrency() << " cores), Linux " << system.release << ", Qt "
      << qVersion();
  return out.str();
}

std::string ResultsTable::LoadAverage() {
  // The first three fields: the load over the last 1, 5 and 15 minutes.
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

std::string ResultsTable::Markdown(const std::string& heading) const {
  std::ostringstream out;
  out << heading << "\n\n";
  out << "| figure | method | value | floor | ratio | target | met |\n";
  out << "|---|---|---|---|---|---|---|\n";
  for (const Row& r : rows_) {
    out << "| " << r.figure << " | " << r.method << " | " << r.value << " | " << r.floor << " | " << r.ratio << " | "
        << r.target << " | " << r.met << " |\n";
  }
  if (!notes_.empty()) out << "\n";
  for (const std::string& note : notes_) out << "- " << note << "\n";
  return out.str();
}

}  // namespace bench
