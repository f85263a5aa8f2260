// A Qt generic plugin that the benchmark loads into the program it measures (QT_PLUGIN_PATH
// and QT_QPA_GENERIC_PLUGINS=hopperprobe:<report fd>:<command fd>). It reports, stamped with the
// monotonic clock, what a user would see: a window's first paint, a message box, a button
// coming back. On command it clicks a button or triggers a menu item by its objectName, times
// the gaps of the event loop, reports each write to a serial port (as the port tells of it, at
// the program's next pass after the bytes went to the driver), or ends the program. Nothing of
// it is built into the program.

#include <unistd.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGenericPlugin>
#include <QIODevice>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <ctime>

namespace {

qint64 NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// "Form1/Command1": the object's name after the name of the window it belongs to.
QString PathOf(const QObject* object) {
  const QObject* owner = object;
  while (owner && !owner->isWidgetType()) owner = owner->parent();
  const QWidget* window = owner ? static_cast<const QWidget*>(owner)->window() : nullptr;
  if (!window || window == object) return object->objectName();
  return window->objectName() + QLatin1Char('/') + object->objectName();
}

class Probe final : public QObject {
 public:
  Probe(int reportFd, int commandFd) : report_(reportFd), commands_(commandFd) {
    qApp->installEventFilter(this);
    auto* notifier = new QSocketNotifier(commandFd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &Probe::ReadCommands);
    heartbeat_.setTimerType(Qt::PreciseTimer);
    heartbeat_.setInterval(1);
    connect(&heartbeat_, &QTimer::timeout, this, &Probe::Beat);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Show:
        if (auto* box = qobject_cast<QMessageBox*>(watched)) {
          Report("box", box->text().replace(QLatin1Char('\r'), QLatin1Char('|')));
          // Answered as a user would, once the box runs its own loop.
          QMetaObject::invokeMethod(
              box,
              [box = QPointer<QMessageBox>(box)] {
                if (box) box->done(QMessageBox::Ok);
              },
              Qt::QueuedConnection);
        } else if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
          unpainted_.append(watched);
        }
        break;
      case QEvent::Paint:
        if (unpainted_.removeAll(watched) > 0) {
          // Reported once the whole window has been painted and flushed.
          const QString name = watched->objectName();
          QMetaObject::invokeMethod(
              this, [this, name] { Report("shown", name); }, Qt::QueuedConnection);
        }
        break;
      case QEvent::Timer:
        // A named one-shot timer is about to fire: the moment a watch runs out.
        if (auto* timer = qobject_cast<QTimer*>(watched);
            timer && timer->isSingleShot() && !timer->objectName().isEmpty() &&
            static_cast<QTimerEvent*>(event)->timerId() == timer->timerId())
          Report("timer", PathOf(timer));
        break;
      case QEvent::PaletteChange:
        // The status line changes colour: blue for progress, red for an error.
        if (auto* label = qobject_cast<QLabel*>(watched))
          Report("status", PathOf(label) + QLatin1Char(' ') + label->palette().color(QPalette::WindowText).name());
        break;
      case QEvent::ChildAdded:
        // A serial port makes its notifiers as it opens: from then on its writes can be seen.
        if (watched->inherits("QSerialPort") && !ports_.contains(watched)) {
          ports_.append(watched);
          connect(static_cast<QIODevice*>(watched), &QIODevice::bytesWritten, this, [this] {
            if (reportWrites_) Report("written", QString());
          });
        }
        break;
      case QEvent::EnabledChange:
        if (auto* button = qobject_cast<QAbstractButton*>(watched); button && button->isEnabled())
          Report("enabled", PathOf(button));
        break;
      default: break;
    }
    return false;
  }

 private:
  void Report(const char* what, const QString& detail) {
    const QByteArray line = QByteArray::number(NowNs()) + ' ' + what + ' ' + detail.toUtf8() + '\n';
    if (::write(report_, line.constData(), static_cast<size_t>(line.size())) < 0) return;
  }

  void ReadCommands() {
    char buffer[512];
    const ssize_t n = ::read(commands_, buffer, sizeof buffer);
    if (n <= 0) {
      // The benchmark has gone: so does the program.
      QCoreApplication::exit(0);
      return;
    }
    pending_.append(buffer, n);
    for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
      const QString command = QString::fromUtf8(pending_.left(end));
      pending_.remove(0, end + 1);
      Run(command.section(QLatin1Char(' '), 0, 0), command.section(QLatin1Char(' '), 1));
    }
  }

  static QObject* Find(const QString& path) {
    const QString windowName = path.section(QLatin1Char('/'), 0, 0);
    const QString name = path.section(QLatin1Char('/'), 1);
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->objectName() != windowName) continue;
      if (name.isEmpty()) return window;
      if (QObject* found = window->findChild<QObject*>(name)) return found;
    }
    return nullptr;
  }

  void Run(const QString& verb, const QString& argument) {
    QObject* target = Find(argument);
    if (verb == QLatin1String("click") && qobject_cast<QAbstractButton*>(target)) {
      static_cast<QAbstractButton*>(target)->click();
    } else if (verb == QLatin1String("trigger") && qobject_cast<QAction*>(target)) {
      static_cast<QAction*>(target)->trigger();
    } else if (verb == QLatin1String("heartbeat")) {
      if (argument == QLatin1String("on")) {
        longestGapNs_ = 0;
        lastBeatNs_ = NowNs();
        heartbeat_.start();
      } else {
        heartbeat_.stop();
        Beat();
        Report("stall", QString::number(longestGapNs_));
      }
    } else if (verb == QLatin1String("writes")) {
      // Off unless asked: a report per write would slow every echo that is being timed.
      reportWrites_ = argument == QLatin1String("on");
    } else if (verb == QLatin1String("quit")) {
      QApplication::closeAllWindows();
      QCoreApplication::exit(0);
    } else {
      Report("unknown", verb + QLatin1Char(' ') + argument);
      return;
    }
    Report("done", verb + QLatin1Char(' ') + argument);
  }

  void Beat() {
    const qint64 now = NowNs();
    longestGapNs_ = qMax(longestGapNs_, now - lastBeatNs_);
    lastBeatNs_ = now;
  }

  int report_;
  int commands_;
  QByteArray pending_;
  QList<QObject*> unpainted_;
  QList<QObject*> ports_;
  bool reportWrites_ = false;
  QTimer heartbeat_;
  qint64 lastBeatNs_ = 0;
  qint64 longestGapNs_ = 0;
};

}  // namespace

class ProbePlugin final : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "probe_plugin.json")
 public:
  QObject* create(const QString& key, const QString& arguments) override {
    if (key.compare(QLatin1String("hopperprobe"), Qt::CaseInsensitive) != 0) return nullptr;
    bool okReport = false;
    bool okCommand = false;
    const int reportFd = arguments.section(QLatin1Char(':'), 0, 0).toInt(&okReport);
    const int commandFd = arguments.section(QLatin1Char(':'), 1, 1).toInt(&okCommand);
    if (!okReport || !okCommand) return nullptr;
    return new Probe(reportFd, commandFd);
  }
};

#include "probe_plugin.moc"
