#include "core/set_compare.h"

#include "core/held_values.h"

namespace hopper {

ComparedSet ComparedOf(const CoinNumbers& values) {
  ComparedSet set{};
  for (std::size_t i = 0; i < set.size(); ++i) set[i] = values[i];
  return set;
}

ComparedSet ComparedOf(const ChannelTexts& texts) {
  ComparedSet set{};
  for (std::size_t i = 0; i < set.size(); ++i) set[i] = EntryValue(texts[i]);
  return set;
}

SetComparison CompareSets(const std::vector<ComparedSet>& sets) {
  SetComparison comparison;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    ComparedChannel row;
    row.channel = channel;
    for (const ComparedSet& set : sets) {
      const std::uint32_t value = set[std::size_t(channel)];
      if (!row.values.empty() && value != row.values.front()) row.differs = true;
      row.values.push_back(value);
    }
    if (row.differs) comparison.differing.push_back(channel);
    comparison.channels.push_back(std::move(row));
  }
  return comparison;
}

std::string ComparisonSummary(const SetComparison& comparison) {
  if (comparison.Equal()) return "equal";
  const std::size_t n = comparison.differing.size();
  return std::to_string(n) + (n == 1 ? " channel differs: " : " channels differ: ") +
         ChannelListText(comparison.differing);
}

}  // namespace hopper
