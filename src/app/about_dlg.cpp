#include "app/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace spectrel {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("About Spectrel"));
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("icon"));
  icon->setPixmap(QIcon(QStringLiteral(":/icons/spectrel.svg")).pixmap(32, 32));
  auto* version = new QLabel(QStringLiteral("Spectrel Version 5.0"), this);
  version->setObjectName(QStringLiteral("version"));
  // What a report of a fault needs: which build, on which Qt, under which licence.
  auto* build = new QLabel(tr("Build %1 (%2), Qt %3 (built with %4)\nLicence: %5")
                               .arg(QStringLiteral(SPECTREL_BUILD_ID), QStringLiteral(SPECTREL_BUILD_TYPE),
                                    QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR),
                                    QStringLiteral(SPECTREL_LICENCE)),
                           this);
  build->setObjectName(QStringLiteral("build"));
  build->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addSpacing(12);
  auto* texts = new QVBoxLayout;
  texts->addWidget(version);
  texts->addWidget(build);
  top->addLayout(texts, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
  // Wide enough for the whole title beside the window manager's buttons, not only for the body.
  const int titleWidth = fontMetrics().horizontalAdvance(windowTitle()) + 160;
  setFixedSize(std::max(sizeHint().width(), titleWidth), sizeHint().height());
}

}  // namespace spectrel
