#pragma once
// The windows' controls as a test reaches them: by the historic name each carries as its
// objectName, the way automation finds them. A control that is missing ends the test with a
// message naming it, not with a crash on a null pointer.

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <array>

#include "ui/channel_box.h"
#include "ui/main_window.h"
#include "ui/manual_window.h"
#include "ui/port_assignment_window.h"
#include "ui/port_selector.h"
#include "ui/simulation_window.h"

namespace hopper::test {

template <class T>
T* FindControl(const QObject& window, const QString& name) {
  T* control = window.findChild<T*>(name);
  if (!control)
    qFatal("%s has no %s named \"%s\"", qPrintable(window.objectName()), T::staticMetaObject.className(),
           qPrintable(name));
  return control;
}

// The main window.
inline ChannelBox* ChannelBoxAt(const MainWindow& w, int index) {
  return FindControl<ChannelBox>(w, QStringLiteral("Text1_%1").arg(index));
}
inline std::array<ChannelBox*, kChannelCount> ChannelBoxes(const MainWindow& w) {
  std::array<ChannelBox*, kChannelCount> boxes{};
  for (int i = 0; i < kChannelCount; ++i) boxes[static_cast<std::size_t>(i)] = ChannelBoxAt(w, i);
  return boxes;
}
inline QLabel* StatusLine(const MainWindow& w) { return FindControl<QLabel>(w, "Label2"); }
inline QPushButton* SaveButton(const MainWindow& w) { return FindControl<QPushButton>(w, "Command1"); }
inline QPushButton* ExitButton(const MainWindow& w) { return FindControl<QPushButton>(w, "Command2"); }
inline PortSelector* PortSelectorOf(const MainWindow& w) { return FindControl<PortSelector>(w, "Combo1"); }
inline QTimer* ResponseWatch(const MainWindow& w) { return FindControl<QTimer>(w, "Timer1"); }
inline QTimer* ReceiveWatch(const MainWindow& w) { return FindControl<QTimer>(w, "Timer3"); }
inline QAction* OpenParametersAction(const MainWindow& w) { return FindControl<QAction>(w, "Openfile"); }
inline QAction* SaveParametersAction(const MainWindow& w) { return FindControl<QAction>(w, "Savefile"); }
inline QAction* ManualAction(const MainWindow& w) { return FindControl<QAction>(w, "Manual"); }
inline QAction* SimulationAction(const MainWindow& w) { return FindControl<QAction>(w, "Simulation"); }
inline QAction* PortsAction(const MainWindow& w) { return FindControl<QAction>(w, "Ports"); }
inline QLabel* VerifyMark(const MainWindow& w) { return FindControl<QLabel>(w, "verifyMark"); }

// The manual window.
inline QTextEdit* ManualViewer(const ManualWindow& w) { return FindControl<QTextEdit>(w, "RichTextBox1"); }
inline QPushButton* CloseButton(const ManualWindow& w) { return FindControl<QPushButton>(w, "Command1"); }

// The simulation window.
inline QLabel* PromptLine(const SimulationWindow& w) { return FindControl<QLabel>(w, "Label1"); }
inline QComboBox* ChannelSelector(const SimulationWindow& w) { return FindControl<QComboBox>(w, "Combo2"); }
inline QPushButton* StartUpButton(const SimulationWindow& w) { return FindControl<QPushButton>(w, "Command2"); }
inline QPushButton* DispenseButton(const SimulationWindow& w) { return FindControl<QPushButton>(w, "Command1"); }
inline QAbstractButton* CloseButton(const SimulationWindow& w) { return FindControl<QAbstractButton>(w, "Command5"); }
inline QLabel* AnimationArea(const SimulationWindow& w) { return FindControl<QLabel>(w, "Image3"); }
inline QTimer* AnimationTimer(const SimulationWindow& w) { return FindControl<QTimer>(w, "Timer2"); }
inline QTimer* PromptTimer(const SimulationWindow& w) { return FindControl<QTimer>(w, "Timer3"); }

// The port assignment window.
inline QTableWidget* DeviceTable(const PortAssignmentWindow& w) { return FindControl<QTableWidget>(w, "deviceTable"); }
inline QLineEdit* DevicePath(const PortAssignmentWindow& w) { return FindControl<QLineEdit>(w, "devicePath"); }
inline QSpinBox* PortNumberBox(const PortAssignmentWindow& w) { return FindControl<QSpinBox>(w, "portNumberBox"); }
inline QPushButton* AssignButton(const PortAssignmentWindow& w) { return FindControl<QPushButton>(w, "assignButton"); }
inline QPushButton* AutomaticButton(const PortAssignmentWindow& w) {
  return FindControl<QPushButton>(w, "automaticButton");
}
inline QPushButton* CloseButton(const PortAssignmentWindow& w) { return FindControl<QPushButton>(w, "closeButton"); }
inline QLabel* ResolvedLine(const PortAssignmentWindow& w) { return FindControl<QLabel>(w, "resolvedLine"); }
inline QLabel* WarningLine(const PortAssignmentWindow& w) { return FindControl<QLabel>(w, "warningLine"); }
inline QPlainTextEdit* FindingsText(const PortAssignmentWindow& w) {
  return FindControl<QPlainTextEdit>(w, "findingsText");
}

}  // namespace hopper::test
