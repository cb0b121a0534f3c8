#include "ui/int_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace spectrel {

CIntDlg::CIntDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      Clock(new QLabel(this)),
      Status(new QLabel(this)),
      Abort(new QPushButton(tr("Abort"), this)) {
  setModal(false);
  Clock->setObjectName(QStringLiteral("clock"));
  Status->setObjectName(QStringLiteral("status"));
  Abort->setObjectName(QStringLiteral("abort"));
  Status->setTextFormat(Qt::PlainText);
  Status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Status->setMinimumSize(320, 96);
  Clock->setTextFormat(Qt::PlainText);
  Abort->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Abort);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Clock);
  layout->addWidget(Status, 1);
  layout->addLayout(buttons);

  connect(Abort, &QPushButton::clicked, this, &CIntDlg::AbortRequested);
}

void CIntDlg::SetClock(const QString& text) { Clock->setText(text); }
void CIntDlg::SetStatus(const QString& text) { Status->setText(text); }
QString CIntDlg::ClockText() const { return Clock->text(); }
QString CIntDlg::StatusText() const { return Status->text(); }

}  // namespace spectrel
