#include "ui/qt_document_host.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "ui/spectrel_view.h"
#include "ui/window_memory.h"

namespace spectrel {

QtDocumentHost::QtDocumentHost(QObject* parent) : QObject(parent), Dialog(std::make_unique<CIntDlg>()) {
  RememberPlace(*Dialog, QStringLiteral("Interval"));
  QCoreApplication::instance()->installEventFilter(this);
  // Queued: the stop question must not open inside the button's own click.
  connect(Dialog.get(), &CIntDlg::AbortRequested, this, [this] {
    Post([this] {
      if (View) View->OnAbort();
    });
  });
}

QtDocumentHost::~QtDocumentHost() = default;

void QtDocumentHost::SetView(CSpectrelView* view) { View = view; }

void QtDocumentHost::Post(std::function<void()> task) {
  // From any thread: queued to this object's (the GUI) thread and dropped with it if the host
  // goes away first.
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void QtDocumentHost::CallAfter(std::chrono::milliseconds delay, std::function<void()> task) {
  QTimer::singleShot(delay, Qt::PreciseTimer, this, std::move(task));
}

void QtDocumentHost::ShowIntervalDialog(bool visible) {
  if (!visible) {
    Dialog->hide();
    return;
  }
  Dialog->adjustSize();
  // Centred over the main window when there is one, else over the screen.
  const QWidget* anchor = View ? View->window() : nullptr;
  QRect around;
  if (anchor != nullptr && anchor->isVisible())
    around = anchor->frameGeometry();
  else if (const QScreen* screen = QGuiApplication::primaryScreen())
    around = screen->availableGeometry();
  if (around.isValid()) Dialog->move(around.center() - QPoint(Dialog->width() / 2, Dialog->height() / 2));
  // Kept above the main window by the window manager, not above every window.
  if (anchor != nullptr) {
    Dialog->winId();
    Dialog->windowHandle()->setTransientParent(anchor->windowHandle());
  }
  if (QApplication::activeModalWidget() != nullptr) return;   // it comes when the last modal dialog goes
  Dialog->show();
  Dialog->raise();
}

bool QtDocumentHost::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::Show && type != QEvent::Hide) return false;
  auto* dialog = qobject_cast<QDialog*>(watched);
  if (dialog == nullptr || dialog == Dialog.get() || !dialog->isWindow() || !dialog->isModal()) return false;
  if (type == QEvent::Show) {
    Dialog->hide();
    return false;
  }
  // Looked at once the dialog has left the modal stack; by then a stop may have ended the measurement.
  QTimer::singleShot(0, this, [this] {
    if (!CanClose && QApplication::activeModalWidget() == nullptr) Dialog->show();
  });
  return false;
}

void QtDocumentHost::StateChanged(const StateEvent& event) {
  const bool idle = event.State == MeasureState::Idle;
  if (!idle) {
    Dialog->setWindowTitle(QString::fromStdString(event.Title));
    if (CanClose) {   // a new measurement
      Dialog->SetClock({});
      Dialog->SetStatus({});
      ShowIntervalDialog(true);
    }
  } else {
    ShowIntervalDialog(false);
  }
  CanClose = idle;
  emit CloseEnabledChanged(idle);
}

void QtDocumentHost::SensorStatusChanged(const SensorEvent& event) {
  Dialog->SetStatus(QString::fromStdString(event.Block));
  if (event.AttemptFailed) QApplication::beep();
}

void QtDocumentHost::ClockTicked(const std::string& clockText) { Dialog->SetClock(QString::fromStdString(clockText)); }

void QtDocumentHost::CycleCompleted(const CycleSummary&) { UpdateAllViews(); }

bool QtDocumentHost::Ask(const std::string& question) {
  // The measurement dialog steps aside while the question is open, and comes back when declined.
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), QString::fromStdString(question),
                  QMessageBox::Ok | QMessageBox::Cancel, View ? View->window() : nullptr);
  box.setObjectName(QStringLiteral("stopQuestion"));
  box.button(QMessageBox::Cancel)->setText(tr("Cancel"));   // "ｷｬﾝｾﾙ" in Japanese
  return box.exec() == QMessageBox::Ok;
}

void QtDocumentHost::ReportError(const std::string& line) {
  DocumentHost::ReportError(line);
  emit ProblemReported(QString::fromStdString(line));
}

void QtDocumentHost::UpdateAllViews() {
  if (View) View->update();
  emit ViewsUpdated();
}

}  // namespace spectrel
