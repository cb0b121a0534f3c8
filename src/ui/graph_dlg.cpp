#include "ui/graph_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <cmath>

#include "ui/color_button.h"
#include "ui/dialog_rows.h"

namespace spectrel {

QString FormatDialogDouble(double value) { return QString::number(value, 'g', 15); }

bool ParseDialogDouble(const QString& text, double& value) {
  bool ok = false;
  const double parsed = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

namespace {

QLineEdit* NumberEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setAlignment(Qt::AlignRight);
  // Room for a value such as "1800.5" at any font size.
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000.000")) + 12);
  return edit;
}

}  // namespace

CGraphDlg::CGraphDlg(GraphSettings& graph, std::function<void()> redraw, QWidget* parent)
    : QDialog(parent),
      Graph(graph),
      Redraw(std::move(redraw)),
      GraphColor(new CColorButton(this)),
      FrameColor(new CColorButton(this)),
      Grid(new QCheckBox(tr("&Grid Line"), this)),
      XFrom(NumberEdit("xFrom", this)),
      XTo(NumberEdit("xTo", this)),
      YTop(NumberEdit("yTop", this)),
      Auto(new QCheckBox(tr("&Auto"), this)) {
  setWindowTitle(tr("Graph Settings"));
  setModal(false);
  GraphColor->setObjectName(QStringLiteral("graphColor"));
  FrameColor->setObjectName(QStringLiteral("frameColor"));
  Grid->setObjectName(QStringLiteral("grid"));
  Auto->setObjectName(QStringLiteral("auto"));

  auto* yAxis = new QGroupBox(tr("Y-Axis"), this);
  auto* yRow = new QHBoxLayout(yAxis);
  yRow->addWidget(Auto);
  yRow->addWidget(YTop);
  yRow->addWidget(new QLabel(QStringLiteral("W/m2/um"), yAxis));
  yRow->addStretch(1);

  auto* xAxis = new QGroupBox(tr("X-Axis[nm]"), this);
  auto* xRow = new QHBoxLayout(xAxis);
  //: The wavelength range row: %1 is the left end, %2 the right end of the axis.
  AddPatternRow(xRow, tr("From %1 To %2"), {XFrom, XTo});

  auto* look = new QGroupBox(this);
  auto* lookGrid = new QGridLayout(look);
  auto* graphLabel = new QLabel(tr("Graph &Color"), look);
  graphLabel->setBuddy(GraphColor);
  auto* frameLabel = new QLabel(tr("&Frame Color"), look);
  frameLabel->setBuddy(FrameColor);
  lookGrid->addWidget(graphLabel, 0, 0);
  lookGrid->addWidget(GraphColor, 0, 1);
  lookGrid->addWidget(frameLabel, 1, 0);
  lookGrid->addWidget(FrameColor, 1, 1);
  lookGrid->addWidget(Grid, 2, 0, 1, 2);
  lookGrid->setColumnStretch(2, 1);

  // OK, "Apply", Cancel in this order whatever the desktop's habit.
  Ok = new QPushButton(QStringLiteral("OK"), this);
  Apply = new QPushButton(tr("&Apply"), this);
  Cancel = new QPushButton(tr("Cancel"), this);
  Ok->setObjectName(QStringLiteral("ok"));
  Apply->setObjectName(QStringLiteral("apply"));
  Cancel->setObjectName(QStringLiteral("cancel"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* button : {Ok, Apply, Cancel}) buttons->addWidget(button);
  Ok->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(yAxis);
  layout->addWidget(xAxis);
  layout->addWidget(look);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  setTabOrder(Auto, YTop);
  setTabOrder(YTop, XFrom);
  setTabOrder(XFrom, XTo);
  setTabOrder(XTo, GraphColor);
  setTabOrder(GraphColor, FrameColor);
  setTabOrder(FrameColor, Grid);
  setTabOrder(Grid, Ok);
  setTabOrder(Ok, Apply);
  setTabOrder(Apply, Cancel);

  connect(Ok, &QPushButton::clicked, this, &CGraphDlg::accept);
  connect(Cancel, &QPushButton::clicked, this, &CGraphDlg::reject);
  connect(Apply, &QPushButton::clicked, this, &CGraphDlg::OnApply);
  // A click on either box takes effect at once.
  connect(Auto, &QCheckBox::clicked, this, &CGraphDlg::OnApply);
  connect(Grid, &QCheckBox::clicked, this, &CGraphDlg::OnApply);
  connect(GraphColor, &QPushButton::clicked, this, [this] { ChooseColor(GraphColor); });
  connect(FrameColor, &QPushButton::clicked, this, [this] { ChooseColor(FrameColor); });

  TransferToDialog();
}

void CGraphDlg::TransferToDialog() {
  GraphColor->SetColor(Graph.GraphColor);
  FrameColor->SetColor(Graph.FrameColor);
  AutoValue = Graph.AutoScale != 0;
  GridValue = Graph.GridLine != 0;
  XFromValue = Graph.GraphLeft;
  XToValue = Graph.GraphRight;
  YTopValue = Graph.GraphTop;
  ShowMembers();
  EnableTop();
}

void CGraphDlg::ShowMembers() {
  Grid->setChecked(GridValue);
  XFrom->setText(FormatDialogDouble(XFromValue));
  XTo->setText(FormatDialogDouble(XToValue));
  YTop->setText(FormatDialogDouble(YTopValue));
  Auto->setChecked(AutoValue);
}

void CGraphDlg::TakeValues() {
  GridValue = Grid->isChecked();
  const std::pair<QLineEdit*, double*> numbers[] = {{XFrom, &XFromValue}, {XTo, &XToValue}, {YTop, &YTopValue}};
  for (const auto& [edit, member] : numbers) {
    if (!ParseDialogDouble(edit->text(), *member)) {
      QMessageBox::warning(this, QApplication::applicationDisplayName(), tr("Please enter a number."));
      edit->setFocus();
      edit->selectAll();
      return;
    }
  }
  AutoValue = Auto->isChecked();
}

void CGraphDlg::TransferToSettings() {
  Graph.GraphColor = GraphColor->Color();
  Graph.FrameColor = FrameColor->Color();
  Graph.AutoScale = AutoValue ? 1 : 0;
  Graph.GridLine = GridValue ? 1 : 0;
  Graph.GraphLeft = XFromValue;
  Graph.GraphRight = XToValue;
  Graph.GraphTop = YTopValue;
  EnableTop();
}

void CGraphDlg::EnableTop() { YTop->setEnabled(Graph.AutoScale == 0); }

void CGraphDlg::OnApply() {
  TakeValues();
  TransferToSettings();
  if (Redraw) Redraw();
}

void CGraphDlg::accept() {
  OnApply();
  QDialog::accept();
}

void CGraphDlg::ChooseColor(CColorButton* button) {
  const QColor chosen = QColorDialog::getColor(ColorFromRef(button->Color()), this);
  if (chosen.isValid()) button->SetColor(RefFromColor(chosen));
}

void CGraphDlg::showEvent(QShowEvent* event) {
  // Every showing starts from the settings: a colour chosen but never applied is forgotten.
  if (!event->spontaneous()) TransferToDialog();
  QDialog::showEvent(event);
}

}  // namespace spectrel
