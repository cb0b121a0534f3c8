// The graph settings dialog on real widgets: "Apply", "Auto" and "Grid Line" act at once, OK
// applies and hides, Cancel hides without undoing, colours wait for the next apply.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLayout>
#include <QLabel>
#include <QColorDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/color_button.h"
#include "ui/graph.h"
#include "ui/graph_dlg.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::StopQuestionAnswer;

// Each redraw lays out the graph from the settings as the view does, over data peaking at
// 50 W/m2/um: with auto scale the top is 1.2 x 50 = 60.
class GraphDlgTest : public ::testing::Test {
 protected:
  GraphDlgTest() {
    Graph.AutoScale = 0;
    Graph.GraphTop = 80.0;
    Dialog = std::make_unique<CGraphDlg>(Graph, [this] {
      CGraph drawn;
      drawn.Setup(Graph, GraphRect{100, 50, 700, 450}, 50.0);
      Tops.push_back(drawn.YMax);
      Ranges.emplace_back(drawn.XMin, drawn.XMax);
    });
    Dialog->show();
  }

  GraphSettings Graph;
  std::unique_ptr<CGraphDlg> Dialog;
  std::vector<double> Tops;                         // YMax of every redraw
  std::vector<std::pair<double, double>> Ranges;    // XMin, XMax of every redraw
};

TEST_F(GraphDlgTest, ShowsTheSettings) {
  EXPECT_EQ(Dialog->XFromEdit()->text(), QStringLiteral("300"));
  EXPECT_EQ(Dialog->XToEdit()->text(), QStringLiteral("1800"));
  EXPECT_EQ(Dialog->YTopEdit()->text(), QStringLiteral("80"));
  EXPECT_FALSE(Dialog->AutoBox()->isChecked());
  EXPECT_TRUE(Dialog->GridBox()->isChecked());
  EXPECT_TRUE(Dialog->YTopEdit()->isEnabled());
  EXPECT_EQ(Dialog->GraphColorButton()->Color(), 255u);
  EXPECT_EQ(Dialog->FrameColorButton()->Color(), 32768u);
  EXPECT_TRUE(Tops.empty());
}

TEST_F(GraphDlgTest, RangeRowReadsFromFieldToField) {
  QGroupBox* range = nullptr;
  for (QGroupBox* group : Dialog->findChildren<QGroupBox*>())
    if (group->title() == QStringLiteral("X-Axis[nm]")) range = group;
  ASSERT_NE(range, nullptr);
  QStringList row;
  for (int i = 0; i < range->layout()->count(); ++i) {
    QWidget* w = range->layout()->itemAt(i)->widget();
    if (w == Dialog->XFromEdit()) row << QStringLiteral("[from]");
    else if (w == Dialog->XToEdit()) row << QStringLiteral("[to]");
    else if (auto* label = qobject_cast<QLabel*>(w)) {
      row << label->text();
      EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
    }
  }
  EXPECT_EQ(row, (QStringList{"From", "[from]", "To", "[to]"}));
}

TEST_F(GraphDlgTest, AutoDisablesTheTopAndRedrawsWithTheAutomaticTopAtOnce) {
  Dialog->AutoBox()->click();
  EXPECT_EQ(Graph.AutoScale, 1);
  EXPECT_FALSE(Dialog->YTopEdit()->isEnabled());
  ASSERT_EQ(Tops.size(), 1u);
  EXPECT_DOUBLE_EQ(Tops[0], 60.0);

  Dialog->AutoBox()->click();
  EXPECT_EQ(Graph.AutoScale, 0);
  EXPECT_TRUE(Dialog->YTopEdit()->isEnabled());
  ASSERT_EQ(Tops.size(), 2u);
  EXPECT_DOUBLE_EQ(Tops[1], 80.0);
  EXPECT_TRUE(Dialog->isVisible());
}

TEST_F(GraphDlgTest, GridLineTakesEffectAtOnceWithTheOtherFields) {
  Dialog->XFromEdit()->setText(QStringLiteral("400"));
  Dialog->GridBox()->click();
  EXPECT_EQ(Graph.GridLine, 0);
  EXPECT_DOUBLE_EQ(Graph.GraphLeft, 400.0);
  EXPECT_EQ(Tops.size(), 1u);
}

TEST_F(GraphDlgTest, CancelAfterTypingLeavesTheGraph) {
  Dialog->XFromEdit()->setText(QStringLiteral("500"));
  Dialog->XToEdit()->setText(QStringLiteral("900"));
  Dialog->CancelButton()->click();
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_DOUBLE_EQ(Graph.GraphLeft, 300.0);
  EXPECT_DOUBLE_EQ(Graph.GraphRight, 1800.0);
  EXPECT_TRUE(Tops.empty());
  // Shown again, it starts from the settings.
  Dialog->show();
  EXPECT_EQ(Dialog->XFromEdit()->text(), QStringLiteral("300"));
}

TEST_F(GraphDlgTest, ApplyThenCancelKeepsTheNewRange) {
  Dialog->XFromEdit()->setText(QStringLiteral("412.345"));
  Dialog->XToEdit()->setText(QStringLiteral(" 950 "));
  Dialog->YTopEdit()->setText(QStringLiteral("2.5"));
  Dialog->ApplyButton()->click();
  EXPECT_TRUE(Dialog->isVisible());
  ASSERT_EQ(Ranges.size(), 1u);
  EXPECT_DOUBLE_EQ(Ranges[0].first, 412.345);
  EXPECT_DOUBLE_EQ(Ranges[0].second, 950.0);
  EXPECT_DOUBLE_EQ(Tops[0], 2.5);
  Dialog->CancelButton()->click();
  EXPECT_DOUBLE_EQ(Graph.GraphLeft, 412.345);
  EXPECT_DOUBLE_EQ(Graph.GraphRight, 950.0);
  EXPECT_DOUBLE_EQ(Graph.GraphTop, 2.5);
  Dialog->show();
  EXPECT_EQ(Dialog->XFromEdit()->text(), QStringLiteral("412.345"));
}

TEST_F(GraphDlgTest, OkAppliesAndHides) {
  Dialog->YTopEdit()->setText(QStringLiteral("120"));
  Dialog->OkButton()->click();
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_DOUBLE_EQ(Graph.GraphTop, 120.0);
  ASSERT_EQ(Tops.size(), 1u);
  EXPECT_DOUBLE_EQ(Tops[0], 120.0);
}

TEST_F(GraphDlgTest, EscapeHidesWithoutApplying) {
  Dialog->XToEdit()->setText(QStringLiteral("1000"));
  QTest::keyClick(Dialog->XToEdit(), Qt::Key_Escape);
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_DOUBLE_EQ(Graph.GraphRight, 1800.0);
}

TEST_F(GraphDlgTest, NonNumberKeepsTheFieldsTakenBeforeItAndStillApplies) {
  // Taken in the order grid, x from, x to, y top, auto: x to fails, so x from is new and the
  // top and the auto box keep the values the dialog had.
  Dialog->GridBox()->setChecked(false);
  Dialog->XFromEdit()->setText(QStringLiteral("350"));
  Dialog->XToEdit()->setText(QStringLiteral("nine hundred"));
  Dialog->YTopEdit()->setText(QStringLiteral("40"));
  Dialog->AutoBox()->setChecked(true);
  {
    StopQuestionAnswer answer(QMessageBox::Ok);
    Dialog->ApplyButton()->click();
    EXPECT_EQ(answer.Asked, 1);
    EXPECT_EQ(answer.Text, QStringLiteral("Please enter a number."));
  }
  EXPECT_EQ(Graph.GridLine, 0);
  EXPECT_DOUBLE_EQ(Graph.GraphLeft, 350.0);
  EXPECT_DOUBLE_EQ(Graph.GraphRight, 1800.0);
  EXPECT_DOUBLE_EQ(Graph.GraphTop, 80.0);
  EXPECT_EQ(Graph.AutoScale, 0);
  EXPECT_EQ(Tops.size(), 1u);

  // For OK the dialog still hides.
  Dialog->XFromEdit()->setText(QStringLiteral("1e"));
  {
    StopQuestionAnswer answer(QMessageBox::Ok);
    Dialog->OkButton()->click();
    EXPECT_EQ(answer.Asked, 1);
  }
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_DOUBLE_EQ(Graph.GraphLeft, 350.0);
}

// Answers the colour chooser with a colour as soon as it is open.
void AnswerColorChooser(const QColor& color) {
  QTimer::singleShot(0, [color] {
    auto* chooser = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(chooser, nullptr);
    chooser->setCurrentColor(color);
    chooser->accept();
  });
}

TEST_F(GraphDlgTest, ChosenColourWaitsForApply) {
  AnswerColorChooser(QColor(0x12, 0x34, 0x56));
  Dialog->GraphColorButton()->click();
  EXPECT_EQ(Dialog->GraphColorButton()->Color(), 0x563412u);   // 0x00BBGGRR
  EXPECT_EQ(Graph.GraphColor, 255u);
  EXPECT_TRUE(Tops.empty());

  Dialog->CancelButton()->click();
  EXPECT_EQ(Graph.GraphColor, 255u);
  Dialog->show();
  EXPECT_EQ(Dialog->GraphColorButton()->Color(), 255u);

  AnswerColorChooser(QColor(0, 0, 255));
  Dialog->FrameColorButton()->click();
  Dialog->ApplyButton()->click();
  EXPECT_EQ(Graph.FrameColor, 0xFF0000u);
  EXPECT_EQ(Graph.GraphColor, 255u);
}

TEST_F(GraphDlgTest, ColourChooserCancelledKeepsTheButton) {
  QTimer::singleShot(0, [] {
    auto* chooser = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(chooser, nullptr);
    chooser->setCurrentColor(Qt::yellow);
    chooser->reject();
  });
  Dialog->FrameColorButton()->click();
  EXPECT_EQ(Dialog->FrameColorButton()->Color(), 32768u);
}

TEST(ColorButton, ColoursAreRedInTheLowestByte) {
  EXPECT_EQ(ColorFromRef(255), QColor(255, 0, 0));
  EXPECT_EQ(ColorFromRef(32768), QColor(0, 128, 0));
  EXPECT_EQ(ColorFromRef(0x00C08040), QColor(0x40, 0x80, 0xC0));
  EXPECT_EQ(ColorFromRef(0xFF000000u), QColor(0, 0, 0));   // the top byte is not a colour
  EXPECT_EQ(RefFromColor(QColor(0x40, 0x80, 0xC0)), 0x00C08040u);
  EXPECT_EQ(RefFromColor(QColor(Qt::white)), 0x00FFFFFFu);
}

TEST(ColorButton, DrawsAPlainSwatchWithoutBorder) {
  CColorButton button;
  button.SetColor(0x00C08040);
  button.resize(40, 16);
  const QImage picture = button.grab().toImage();
  const QColor expected(0x40, 0x80, 0xC0);
  for (const QPoint p : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 15), QPoint(39, 15), QPoint(20, 8)})
    EXPECT_EQ(picture.pixelColor(p), expected) << p.x() << "," << p.y();
  // Disabled and focused look the same.
  button.setEnabled(false);
  EXPECT_EQ(button.grab().toImage().pixelColor(1, 1), expected);
}

}  // namespace
}  // namespace spectrel
