// A Qt generic plugin that the installed-layout check loads into the installed program
// (QT_QPA_GENERIC_PLUGINS=hopperprobe). It drives the real windows as a technician would:
// opens the manual, then the simulation window, and presses "Dispense". It prints what it
// finds (manual text, animation picture, or a message box) and ends the program.
#include <QAction>
#include <QApplication>
#include <QGenericPlugin>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>

namespace {

QWidget* Visible(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
  return nullptr;
}

// Commands run from the event loop, not from inside the poll: a command that shows a modal
// message box must not hold up the poll that answers it.
void Later(QAction* action) { QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection); }

void Report(const QString& line) {
  std::printf("probe: %s\n", qPrintable(line));
  std::fflush(stdout);
}

class Probe final : public QObject {
 public:
  Probe() {
    connect(&poll_, &QTimer::timeout, this, &Probe::Step);
    poll_.start(50);
  }

 private:
  void Finish(int code) {
    poll_.stop();
    QApplication::exit(code);
  }

  void Step() {
    if (++ticks_ > 2400) return Report(QStringLiteral("gave up at step %1").arg(step_)), Finish(3);
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      Report(QStringLiteral("message: %1 | %2").arg(box->text(), box->informativeText()));
      box->done(QMessageBox::Ok);
      return Finish(2);
    }
    QWidget* main = Visible("Form1");
    if (step_ == 0 && main) {
      Later(main->findChild<QAction*>(QStringLiteral("Manual")));
      step_ = 1;
    } else if (step_ == 1 && Visible("Form2")) {
      const auto* text = Visible("Form2")->findChild<QTextEdit*>(QStringLiteral("RichTextBox1"));
      Report(QStringLiteral("manual: %1 characters").arg(text->toPlainText().size()));
      Later(main->findChild<QAction*>(QStringLiteral("Simulation")));
      step_ = 2;
    } else if (step_ == 2 && Visible("Form3")) {
      for (auto* button : Visible("Form3")->findChildren<QPushButton*>())
        if (button->text().contains(QLatin1String("Dispense")))
          QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
      step_ = 3;
    } else if (step_ == 3) {
      const auto* picture = Visible("Form3")->findChild<QLabel*>(QStringLiteral("Image3"));
      if (picture && !picture->pixmap().isNull()) {
        Report(QStringLiteral("picture: %1x%2").arg(picture->pixmap().width()).arg(picture->pixmap().height()));
        Finish(0);
      }
    }
  }

  QTimer poll_;
  int step_ = 0;
  int ticks_ = 0;
};

}  // namespace

class LayoutProbePlugin final : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "probe.json")
 public:
  QObject* create(const QString&, const QString&) override { return new Probe; }
};

#include "layout_probe.moc"
