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
#include <iterator>

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
      Auto(new QCheckBox(tr("A&uto"), this)) {
  setWindowTitle(tr("Graph Settings"));
  setModal(false);
  GraphColor->setObjectName(QStringLiteral("graphColor"));
  FrameColor->setObjectName(QStringLiteral("frameColor"));
  Grid->setObjectName(QStringLiteral("grid"));
  Auto->setObjectName(QStringLiteral("auto"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildYAxisGroup());
  layout->addWidget(BuildXAxisGroup());
  layout->addWidget(BuildLookGroup());
  layout->addLayout(BuildButtonRow());
  layout->setSizeConstraint(QLayout::SetFixedSize);
  SetTabOrder();
  ConnectControls();
  TransferToDialog();
}

QWidget* CGraphDlg::BuildYAxisGroup() {
  auto* group = new QGroupBox(tr("Y-Axis"), this);
  auto* row = new QHBoxLayout(group);
  row->addWidget(Auto);
  row->addWidget(YTop);
  row->addWidget(new QLabel(QStringLiteral("W/m2/um"), group));
  row->addStretch(1);
  return group;
}

QWidget* CGraphDlg::BuildXAxisGroup() {
  auto* group = new QGroupBox(tr("X-Axis[nm]"), this);
  auto* row = new QHBoxLayout(group);
  //: The wavelength range row: %1 is the left end, %2 the right end of the axis.
  AddPatternRow(row, tr("From %1 To %2"), {XFrom, XTo});
  return group;
}

QWidget* CGraphDlg::BuildLookGroup() {
  auto* group = new QGroupBox(this);
  auto* grid = new QGridLayout(group);
  auto* graphLabel = new QLabel(tr("Graph &Color"), group);
  graphLabel->setBuddy(GraphColor);
  auto* frameLabel = new QLabel(tr("&Frame Color"), group);
  frameLabel->setBuddy(FrameColor);
  grid->addWidget(graphLabel, 0, 0);
  grid->addWidget(GraphColor, 0, 1);
  grid->addWidget(frameLabel, 1, 0);
  grid->addWidget(FrameColor, 1, 1);
  grid->addWidget(Grid, 2, 0, 1, 2);
  grid->setColumnStretch(2, 1);
  return group;
}

QLayout* CGraphDlg::BuildButtonRow() {
  // OK, "Apply", Cancel in this order whatever the desktop's habit.
  Ok = new QPushButton(QStringLiteral("OK"), this);
  Apply = new QPushButton(tr("&Apply"), this);
  Cancel = new QPushButton(tr("Cancel"), this);
  Ok->setObjectName(QStringLiteral("ok"));
  Apply->setObjectName(QStringLiteral("apply"));
  Cancel->setObjectName(QStringLiteral("cancel"));
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  for (QPushButton* button : {Ok, Apply, Cancel}) row->addWidget(button);
  Ok->setDefault(true);
  return row;
}

void CGraphDlg::SetTabOrder() {
  // The reading order: y axis, x axis, colours, grid, then the buttons.
  QWidget* const order[] = {Auto, YTop, XFrom, XTo, GraphColor, FrameColor, Grid, Ok, Apply, Cancel};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void CGraphDlg::ConnectControls() {
  connect(Ok, &QPushButton::clicked, this, &CGraphDlg::accept);
  connect(Cancel, &QPushButton::clicked, this, &CGraphDlg::reject);
  connect(Apply, &QPushButton::clicked, this, &CGraphDlg::OnApply);
  // A click on either box takes effect at once.
  connect(Auto, &QCheckBox::clicked, this, &CGraphDlg::OnApply);
  connect(Grid, &QCheckBox::clicked, this, &CGraphDlg::OnApply);
  connect(GraphColor, &QPushButton::clicked, this, [this] { ChooseColor(GraphColor); });
  connect(FrameColor, &QPushButton::clicked, this, [this] { ChooseColor(FrameColor); });
}

void CGraphDlg::TransferToDialog() {
  GraphColor->SetColor(Graph.GraphColor);
  FrameColor->SetColor(Graph.FrameColor);
  AutoValue = Graph.AutoScale;
  GridValue = Graph.GridLine;
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
  Graph.AutoScale = AutoValue;
  Graph.GridLine = GridValue;
  Graph.GraphLeft = XFromValue;
  Graph.GraphRight = XToValue;
  Graph.GraphTop = YTopValue;
  EnableTop();
}

void CGraphDlg::EnableTop() { YTop->setEnabled(!Graph.AutoScale); }

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
