#include "ui/event_log_window.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

namespace spectrel {

CEventLogWindow::CEventLogWindow(std::function<std::string()> logPath, QWidget* parent)
    : QDialog(parent), LogPath(std::move(logPath)) {
  setWindowTitle(tr("Event Log"));
  setObjectName(QStringLiteral("eventLog"));
  Lines = new QPlainTextEdit(this);
  Lines->setReadOnly(true);
  Lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Lines->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
  Notes = new QLabel(this);
  Notes->setObjectName(QStringLiteral("notes"));
  Notes->setTextFormat(Qt::PlainText);
  Notes->setWordWrap(true);
  Notes->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Notes->hide();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Notes);
  layout->addWidget(Lines);
  layout->addWidget(buttons);
  resize(640, 360);
  Poll.setInterval(1000);
  connect(&Poll, &QTimer::timeout, this, &CEventLogWindow::Refresh);
}

QString CEventLogWindow::Text() const { return Lines->toPlainText(); }

void CEventLogWindow::SetNotes(const QString& notes) {
  Notes->setText(notes);
  Notes->setVisible(!notes.isEmpty());
}

void CEventLogWindow::Refresh() {
  const std::string path = LogPath();
  QFile file(QString::fromStdString(path));
  if (path != Shown || file.size() < Offset) {
    Shown = path;
    Offset = 0;
    Lines->clear();
    setWindowTitle(tr("Event Log - %1").arg(QFileInfo(file).fileName()));
  }
  if (file.size() == Offset || !file.open(QIODevice::ReadOnly) || !file.seek(Offset)) return;
  QByteArray added = file.readAll();
  // A line still being written waits for its end.
  const qsizetype end = added.lastIndexOf('\n');
  if (end < 0) return;
  added.truncate(end + 1);
  Offset += added.size();
  QScrollBar* bar = Lines->verticalScrollBar();
  const bool atEnd = bar->value() == bar->maximum();
  for (const QByteArray& line : added.split('\n')) {
    const QByteArray text = line.endsWith('\r') ? line.chopped(1) : line;
    if (!text.isEmpty()) Lines->appendPlainText(QString::fromUtf8(text));
  }
  if (atEnd) bar->setValue(bar->maximum());
}

void CEventLogWindow::showEvent(QShowEvent* event) {
  Refresh();
  Poll.start();
  QDialog::showEvent(event);
}

void CEventLogWindow::hideEvent(QHideEvent* event) {
  Poll.stop();
  QDialog::hideEvent(event);
}

}  // namespace spectrel
