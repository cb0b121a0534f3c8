// The modeless graph settings: wavelength range, top of the irradiance axis or automatic scale,
// grid and the two colours. It edits the graph block of the settings in place and has the graph
// redrawn after each change; OK and Cancel only hide it, and nothing is ever undone.
#pragma once

#include <QDialog>

#include <functional>

#include "settings/app_settings.h"

class QCheckBox;
class QLayout;
class QLineEdit;
class QPushButton;

namespace spectrel {

class CColorButton;

class CGraphDlg : public QDialog {
  Q_OBJECT

 public:
  // redraw repaints every view of the graph.
  CGraphDlg(GraphSettings& graph, std::function<void()> redraw, QWidget* parent = nullptr);

  // Settings into the members and controls (done at every showing).
  void TransferToDialog();
  // "Apply": the controls' values into the settings, then the graph is redrawn.
  void OnApply();
  // Opens the colour chooser for one of the two colour buttons; the settings see the colour
  // only with the next "Apply", "Auto", "Grid Line" or OK.
  void ChooseColor(CColorButton* button);

 public slots:
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Takes the controls in the order grid, x from, x to, y top, auto; a field that is not a number
  // brings the standard message and ends the taking, the fields before it are kept.
  void TakeValues();
  // The parts of the dialog, top to bottom, and what the controls do.
  QWidget* BuildYAxisGroup();
  QWidget* BuildXAxisGroup();
  QWidget* BuildLookGroup();
  QLayout* BuildButtonRow();
  void SetTabOrder();
  void ConnectControls();
  void TransferToSettings();
  void ShowMembers();
  void EnableTop();

  GraphSettings& Graph;          // the graph block of the application's settings
  std::function<void()> Redraw;  // repaints the views

  // The dialog's members, between the controls and the settings.
  bool GridValue = true;
  double XFromValue = 0.0;       // nm
  double XToValue = 0.0;         // nm
  double YTopValue = 0.0;        // W/m2/um
  bool AutoValue = true;

  CColorButton* GraphColor;      // colour of the spectrum curve
  CColorButton* FrameColor;      // colour of frame, ticks and grid
  QCheckBox* Grid;
  QLineEdit* XFrom;
  QLineEdit* XTo;
  QLineEdit* YTop;
  QCheckBox* Auto;
  QPushButton* Ok;
  QPushButton* Apply;
  QPushButton* Cancel;
};

// The text of a double as the dialog shows it: at most 15 significant digits ("300", "412.345").
QString FormatDialogDouble(double value);
// A decimal number typed into a dialog, blanks around it allowed; false for anything else.
bool ParseDialogDouble(const QString& text, double& value);

}  // namespace spectrel
