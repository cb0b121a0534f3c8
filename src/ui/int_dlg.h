// The measurement dialog shown while a measurement is active: the clock line, one status line
// per sensor in use and "Abort". Modeless, above the main window and below every other dialog.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace spectrel {

class CIntDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CIntDlg(QWidget* parent = nullptr);

  void SetClock(const QString& text);
  void SetStatus(const QString& text);
  QString ClockText() const;
  QString StatusText() const;
  QPushButton* AbortButton() const { return Abort; }

  // Escape and the close box do not hide the dialog: a measurement ends only with "Abort".
  void reject() override {}

 signals:
  // "Abort" was pressed: the host turns it into a stop request.
  void AbortRequested();

 private:
  QLabel* Clock;         // current local date and time, renewed at each interval tick
  QLabel* Status;        // the status block, one line per sensor in use
  QPushButton* Abort;    // posts the stop request
};

}  // namespace spectrel
