#pragma once
// The benchmark's one table: every row a figure, how it was measured, its value, the floor
// measured in the same run, the ratio and the target. Printed, and written with the date,
// the machine's CPU and the Qt version to a Markdown file.

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct Row {
  std::string figure;
  std::string method;
  std::string value;
  std::string floor;  // "—" where there is none
  std::string ratio;  // "—" where there is none
  std::string target;
  std::string met;  // "yes", "no", or a word on why it cannot say
};

// Percentiles and friends over a list of figures (sorted copy; empty list gives 0).
double Percentile(std::vector<double> values, double fraction);
double Largest(const std::vector<double>& values);

std::string Ms(double ms, int decimals = 3);
std::string Ratio(double value, double floor);
std::string YesNo(bool met);

class ResultsTable {
 public:
  void Add(Row row) { rows_.push_back(std::move(row)); }
  void Note(std::string line) { notes_.push_back(std::move(line)); }
  std::string Markdown(const std::string& heading) const;
  // The machine: CPU model and count, kernel, Qt version.
  static std::string MachineLine();
  // How busy the machine is: /proc/loadavg's 1, 5 and 15 minute figures.
  static std::string LoadAverage();

 private:
  std::vector<Row> rows_;
  std::vector<std::string> notes_;
};

}  // namespace bench
