#include "ui/station_command.h"

#include <QDir>

#include "platform/journal/station_journal.h"
#include "platform/station/set_file.h"
#include "platform/widgets/file_dialog.h"
#include "platform/widgets/message_box.h"
#include "ui/added_window.h"
#include "ui/main_window.h"
#include "ui/parameter_commands.h"
#include "ui/port_chooser.h"
#include "ui/station_window.h"

namespace hopper {

StationWindow* OpenStation(const QString& setPath, const std::vector<StationPort>& ports, MessageBoxes& messages,
                           Journal* journal, QWidget* owner) {
  const SetFile set = ReadSetFile(setPath);
  if (!set.refusal.isEmpty()) {
    messages.Show(nullptr, Message{set.refusal, MessageIcon::Exclamation, QString(), set.detail});
    return nullptr;
  }
  auto* window = new StationWindow(set.entries, ports);
  window->setAttribute(Qt::WA_DeleteOnClose);
  if (journal) {
    JournalStation(window->Stations(), *journal, QStringLiteral("window"));
    window->ShowVerdictsOnceKept(*journal);
  }
  DressAddedWindow(window, owner);
  window->SetPortChooser(std::make_unique<WindowPortChooser>(messages));
  window->Start();  // a port that does not open is shown on its tile
  window->show();
  KeepWithinScreen(window);
  return window;
}

StationWindow* OpenStationFromMenu(MainWindow& owner, int portNumber, FileDialog& dialog, MessageBoxes& messages,
                                   Journal* journal) {
  FileDialogRequest request;
  request.title = QStringLiteral("STATION SET");
  request.filter = kParameterFileFilter;
  const QString path = dialog.AskOpen(&owner, request);
  StationWindow* window =
      path.isEmpty()
          ? nullptr
          : OpenStation(path, {{QStringLiteral("COM%1").arg(portNumber), {}, portNumber}}, messages, journal, &owner);
  if (!window) {
    owner.ReturnPort();
    return nullptr;
  }
  QObject::connect(window, &StationWindow::Closed, &owner, &MainWindow::ReturnPort);
  return window;
}

}  // namespace hopper
