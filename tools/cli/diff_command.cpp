#include "tools/cli/diff_command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "platform/files/backup_store.h"
#include "platform/journal/set_sources.h"
#include "tools/cli/cli_history.h"
#include "tools/cli/cli_report.h"
#include "tools/cli/exit_codes.h"

namespace hopper::cli {

namespace {

QString ValueText(std::uint32_t value) {
  return value == kUnreadableEntry ? QStringLiteral("?") : QString::number(value);
}

void Print(const QString& text) {
  std::fputs(text.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
}

// A: a.txt
// B: backup:last (…/backup-2026-12-08-101500-000-COM1.txt)
// Channel    A      B
// Channel3   250    251    differs
void PrintTable(const std::vector<SetSource>& sets, const SetComparison& comparison) {
  QString head = QStringLiteral("%1").arg(QStringLiteral("Channel"), -11);
  for (std::size_t i = 0; i < sets.size(); ++i) {
    const QString letter = i < 26 ? QString(QChar(u'A' + int(i))) : QString::number(i + 1);
    Print(QStringLiteral("%1: %2").arg(letter, sets[i].name) + (sets[i].path.isEmpty() || sets[i].path == sets[i].name
                                                                    ? QString()
                                                                    : QStringLiteral(" (%1)").arg(sets[i].path)));
    head += QStringLiteral("%1").arg(letter, -7);
  }
  Print(head.trimmed());
  for (const ComparedChannel& row : comparison.channels) {
    QString line = QStringLiteral("%1").arg(QStringLiteral("Channel%1").arg(row.channel + 1), -11);
    for (std::uint32_t v : row.values) line += QStringLiteral("%1").arg(ValueText(v), -7);
    Print(row.differs ? line + QStringLiteral("differs") : line.trimmed());
  }
  Print(QString::fromStdString(ComparisonSummary(comparison)));
}

void PrintJson(const std::vector<SetSource>& sets, const SetComparison& comparison) {
  QJsonArray sources, channels, differing;
  for (const SetSource& set : sets) sources.append(QJsonObject{{"name", set.name}, {"path", set.path}});
  for (const ComparedChannel& row : comparison.channels) {
    QJsonArray values;
    for (std::uint32_t v : row.values) values.append(v == kUnreadableEntry ? QJsonValue() : QJsonValue(qint64(v)));
    channels.append(QJsonObject{{"channel", row.channel + 1}, {"values", values}, {"differs", row.differs}});
    if (row.differs) differing.append(row.channel + 1);
  }
  const QJsonObject o{{"sources", sources},
                      {"channels", channels},
                      {"differing", differing},
                      {"equal", comparison.Equal()},
                      {"exitCode", comparison.Equal() ? 0 : ToInt(ExitCode::Differ)}};
  Print(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
}

}  // namespace

int RunDiff(const CliOptions& options) {
  const JournalSetup setup = CliJournalSetup(options);
  std::vector<SetSource> sets;
  std::vector<ComparedSet> values;
  for (const QString& word : options.sources) {
    SetSource set = NamedSet(word, BackupStore(), setup.shared.value_or(setup.local));
    if (!set.ok()) return ReportBadArguments(options.json, QStringLiteral("%1: %2").arg(word, set.error));
    values.push_back(set.Values());
    sets.push_back(std::move(set));
  }
  const SetComparison comparison = CompareSets(values);
  if (options.json) PrintJson(sets, comparison);
  else PrintTable(sets, comparison);
  return comparison.Equal() ? ToInt(ExitCode::Done) : ToInt(ExitCode::Differ);
}

}  // namespace hopper::cli
