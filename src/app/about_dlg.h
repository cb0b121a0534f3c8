// The About box: the program icon, the name and version, the build, the Qt version and the
// licence, and OK.
#pragma once

#include <QDialog>

namespace spectrel {

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace spectrel
