#include "platform/widgets/qt_file_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace hopper {

namespace {

bool HasWildcard(const QString& name) { return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')); }

QString Ask(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
  RequestFileDialog dialog(parent, request, mode);
  if (dialog.exec() != QDialog::Accepted) return QString();
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

}  // namespace

QStringList QtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& name = parts[i];
    const QString& pattern = parts[i + 1];
    if (name.isEmpty() && pattern.isEmpty()) continue;
    const QString bracketed = QLatin1Char('(') + pattern + QLatin1Char(')');
    filters << (name.endsWith(bracketed) ? name : name + QLatin1Char(' ') + bracketed);
  }
  return filters;
}

ChoiceCheck CheckChoice(const QString& path, const FileDialogRequest& request) {
  const QFileInfo info(path);
  if (HasWildcard(info.fileName())) return ChoiceCheck::ApplyAsFilter;
  if (request.folderMustExist && !info.absoluteDir().exists()) return ChoiceCheck::MissingFolder;
  return ChoiceCheck::Accept;
}

RequestFileDialog::RequestFileDialog(QWidget* parent, const FileDialogRequest& request, AcceptMode mode)
    : QFileDialog(parent, request.title), request_(request) {
  setOption(QFileDialog::DontUseNativeDialog);
  setAcceptMode(mode);
  // The command itself answers a name that does not exist, so the open dialog lets one through.
  setFileMode(QFileDialog::AnyFile);
  setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
  // File names are matched without regard to letter case: *.TXT lists a.txt and b.Txt too.
  setFilter(filter() & ~QDir::CaseSensitive);
  const QStringList filters = QtNameFilters(request.filter);
  if (!filters.isEmpty()) setNameFilters(filters);
  // No default suffix: a name typed without an extension is used as typed.

  const QFileInfo initial(request.initialFileName);
  if (!request.initialFileName.isEmpty()) {
    setDirectory(initial.absolutePath());
    selectFile(initial.fileName());
  }

  refuse = [this](const QString& why) { QMessageBox::warning(this, windowTitle(), why); };
}

void RequestFileDialog::accept() {
  const QStringList files = selectedFiles();
  if (files.isEmpty()) return;
  const QString chosen = files.first();
  switch (CheckChoice(chosen, request_)) {
    case ChoiceCheck::ApplyAsFilter:
      setDirectory(QFileInfo(chosen).absolutePath());
      setNameFilter(QFileInfo(chosen).fileName());
      return;
    case ChoiceCheck::MissingFolder:
      refuse(tr("The folder %1 does not exist.\nPlease check the path.")
                 .arg(QDir::toNativeSeparators(QFileInfo(chosen).absolutePath())));
      return;
    case ChoiceCheck::Accept: QFileDialog::accept(); return;
  }
}

QString QtFileDialog::AskOpen(QWidget* parent, const FileDialogRequest& request) {
  return Ask(parent, request, QFileDialog::AcceptOpen);
}

QString QtFileDialog::AskSave(QWidget* parent, const FileDialogRequest& request) {
  return Ask(parent, request, QFileDialog::AcceptSave);
}

}  // namespace hopper
