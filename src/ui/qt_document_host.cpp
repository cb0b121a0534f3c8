#include "ui/qt_document_host.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "ui/spectrel_view.h"
#include "ui/window_memory.h"

namespace spectrel {

QtDocumentHost::QtDocumentHost(QObject* parent) : QObject(parent), Dialog(std::make_unique<CIntDlg>()) {
  RememberPlace(*Dialog, QStringLiteral("Interval"));
  connect(Dialog.get(), &CIntDlg::AbortRequested, this,
          [this] { PostWorkerMessage(WorkerMessage::StopRequest); });
}

QtDocumentHost::~QtDocumentHost() = default;

void QtDocumentHost::SetView(CSpectrelView* view) { View = view; }

void QtDocumentHost::PostWorkerMessage(WorkerMessage message) {
  // Called from the workers: the call is queued to this object's (the GUI) thread and dropped
  // with it if the host goes away first.
  QMetaObject::invokeMethod(
      this,
      [this, message] {
        if (View) View->OnWorkerMessage(message);
      },
      Qt::QueuedConnection);
}

void QtDocumentHost::Beep() {
  QMetaObject::invokeMethod(qApp, [] { QApplication::beep(); }, Qt::QueuedConnection);
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
  Dialog->show();
  Dialog->raise();
}

void QtDocumentHost::SetIntervalDialogTitle(const std::string& title) {
  Dialog->setWindowTitle(QString::fromStdString(title));
}

void QtDocumentHost::SetIntervalClock(const std::string& text) { Dialog->SetClock(QString::fromStdString(text)); }

void QtDocumentHost::SetIntervalStatus(const std::string& text) { Dialog->SetStatus(QString::fromStdString(text)); }

bool QtDocumentHost::ConfirmStopInterval(const std::string& question) {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), QString::fromStdString(question),
                  QMessageBox::Ok | QMessageBox::Cancel, View ? View->window() : nullptr);
  box.setObjectName(QStringLiteral("stopQuestion"));
  box.button(QMessageBox::Cancel)->setText(tr("Cancel"));   // "ｷｬﾝｾﾙ" in Japanese
  return box.exec() == QMessageBox::Ok;
}

void QtDocumentHost::EnableClose(bool enabled) {
  CanClose = enabled;
  emit CloseEnabledChanged(enabled);
}

void QtDocumentHost::UpdateAllViews() {
  if (View) View->update();
  emit ViewsUpdated();
}

}  // namespace spectrel
