// The graph settings dialog on real widgets: "Apply", "Auto" and "Grid Line" act at once, OK
// and Enter apply and hide, Cancel and Escape hide without undoing, colours wait for the next
// apply; and the colour button's plain swatch.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QImage>
#include <QLineEdit>
#include <QTest>

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
  // Answers the colour chooser that the button opens with a colour, or cancels it.
  void ChooseColor(CColorButton* button, const QColor& color, bool confirm = true) {
    ASSERT_TRUE(uitest::OnModal([button] { button->click(); }, [&](QDialog* d) {
      qobject_cast<QColorDialog*>(d)->setCurrentColor(color);
      confirm ? d->accept() : d->reject();
    }));
  }

  GraphSettings Graph;
  std::unique_ptr<CGraphDlg> Dialog;
  std::vector<double> Tops;                         // YMax of every redraw
  std::vector<std::pair<double, double>> Ranges;    // XMin, XMax of every redraw
};

TEST_F(GraphDlgTest, ShowsTheSettingsInARangeRowReadFromFieldToField) {
  EXPECT_EQ(Dialog->XFromEdit()->text(), QStringLiteral("300"));
  EXPECT_EQ(Dialog->XToEdit()->text(), QStringLiteral("1800"));
  EXPECT_EQ(Dialog->YTopEdit()->text(), QStringLiteral("80"));
  EXPECT_FALSE(Dialog->AutoBox()->isChecked());
  EXPECT_TRUE(Dialog->GridBox()->isChecked());
  EXPECT_TRUE(Dialog->YTopEdit()->isEnabled());
  EXPECT_EQ(Dialog->GraphColorButton()->Color(), 255u);
  EXPECT_EQ(Dialog->FrameColorButton()->Color(), 32768u);
  EXPECT_TRUE(Tops.empty());
  EXPECT_EQ(uitest::RangeRow(*Dialog, QStringLiteral("X-Axis[nm]"), Dialog->XFromEdit(), Dialog->XToEdit()),
            (QStringList{"From", "[from]", "To", "[to]"}));
}

TEST_F(GraphDlgTest, AutoAndGridLineTakeEffectAtOnce) {
  Dialog->AutoBox()->click();
  EXPECT_EQ(Graph.AutoScale, 1);
  EXPECT_FALSE(Dialog->YTopEdit()->isEnabled());
  Dialog->AutoBox()->click();
  EXPECT_EQ(Graph.AutoScale, 0);
  EXPECT_TRUE(Dialog->YTopEdit()->isEnabled());
  EXPECT_EQ(Tops, (std::vector<double>{60.0, 80.0}));
  // Grid Line takes the other fields with it.
  Dialog->XFromEdit()->setText(QStringLiteral("400"));
  Dialog->GridBox()->click();
  EXPECT_EQ(Graph.GridLine, 0);
  EXPECT_DOUBLE_EQ(Graph.GraphLeft, 400.0);
  EXPECT_EQ(Tops.size(), 3u);
  EXPECT_TRUE(Dialog->isVisible());
}

TEST_F(GraphDlgTest, CancelAndEscapeAfterTypingLeaveTheGraphApplyThenCancelKeepsIt) {
  Dialog->XFromEdit()->setText(QStringLiteral("500"));
  Dialog->XToEdit()->setText(QStringLiteral("900"));
  Dialog->CancelButton()->click();
  EXPECT_FALSE(Dialog->isVisible());
  Dialog->show();   // shown again, it starts from the settings
  EXPECT_EQ(Dialog->XFromEdit()->text(), QStringLiteral("300"));
  Dialog->XToEdit()->setText(QStringLiteral("1000"));
  QTest::keyClick(Dialog->XToEdit(), Qt::Key_Escape);
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_DOUBLE_EQ(Graph.GraphLeft, 300.0);
  EXPECT_DOUBLE_EQ(Graph.GraphRight, 1800.0);
  EXPECT_TRUE(Tops.empty());

  Dialog->show();
  Dialog->XFromEdit()->setText(QStringLiteral("412.345"));
  Dialog->XToEdit()->setText(QStringLiteral(" 950 "));
  Dialog->YTopEdit()->setText(QStringLiteral("2.5"));
  Dialog->ApplyButton()->click();
  EXPECT_TRUE(Dialog->isVisible());
  EXPECT_EQ(Ranges, (std::vector<std::pair<double, double>>{{412.345, 950.0}}));
  EXPECT_EQ(Tops, (std::vector<double>{2.5}));
  Dialog->CancelButton()->click();
  EXPECT_DOUBLE_EQ(Graph.GraphLeft, 412.345);
  EXPECT_DOUBLE_EQ(Graph.GraphRight, 950.0);
  EXPECT_DOUBLE_EQ(Graph.GraphTop, 2.5);
  Dialog->show();
  EXPECT_EQ(Dialog->XFromEdit()->text(), QStringLiteral("412.345"));
}

TEST_F(GraphDlgTest, OkAndEnterApplyAndHideKeysFollowTheReadingOrder) {
  Dialog->YTopEdit()->setText(QStringLiteral("120"));
  Dialog->OkButton()->click();
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_DOUBLE_EQ(Graph.GraphTop, 120.0);
  EXPECT_EQ(Tops, (std::vector<double>{120.0}));

  Dialog->show();
  QApplication::setActiveWindow(Dialog.get());
  QStringList order;
  QWidget* w = Dialog->AutoBox();
  for (int i = 0; i < 10; ++i, w = w->nextInFocusChain()) {
    while (w->focusPolicy() == Qt::NoFocus || !w->isEnabled()) w = w->nextInFocusChain();
    order << w->objectName();
  }
  EXPECT_EQ(order, (QStringList{"auto", "yTop", "xFrom", "xTo", "graphColor", "frameColor", "grid", "ok", "apply",
                                "cancel"}));
  Dialog->YTopEdit()->setFocus();
  Dialog->YTopEdit()->setText(QStringLiteral("42"));
  QTest::keyClick(Dialog->YTopEdit(), Qt::Key_Return);
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_EQ(Tops, (std::vector<double>{120.0, 42.0}));
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
  StopQuestionAnswer answer(QMessageBox::Ok);
  Dialog->OkButton()->click();
  EXPECT_EQ(answer.Asked, 1);
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_DOUBLE_EQ(Graph.GraphLeft, 350.0);
}

TEST_F(GraphDlgTest, ChosenColourWaitsForApply) {
  ChooseColor(Dialog->GraphColorButton(), QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(Dialog->GraphColorButton()->Color(), 0x563412u);   // 0x00BBGGRR
  EXPECT_EQ(Graph.GraphColor, 255u);
  EXPECT_TRUE(Tops.empty());
  Dialog->CancelButton()->click();
  EXPECT_EQ(Graph.GraphColor, 255u);
  Dialog->show();
  EXPECT_EQ(Dialog->GraphColorButton()->Color(), 255u);
  ChooseColor(Dialog->FrameColorButton(), Qt::yellow, false);   // cancelled: the button keeps its colour
  EXPECT_EQ(Dialog->FrameColorButton()->Color(), 32768u);
  ChooseColor(Dialog->FrameColorButton(), QColor(0, 0, 255));
  Dialog->ApplyButton()->click();
  EXPECT_EQ(Graph.FrameColor, 0xFF0000u);
  EXPECT_EQ(Graph.GraphColor, 255u);
}

TEST(ColorButton, RedInTheLowestByteDrawnAsAPlainSwatch) {
  EXPECT_EQ(ColorFromRef(255), QColor(255, 0, 0));
  EXPECT_EQ(ColorFromRef(32768), QColor(0, 128, 0));
  EXPECT_EQ(ColorFromRef(0x00C08040), QColor(0x40, 0x80, 0xC0));
  EXPECT_EQ(ColorFromRef(0xFF000000u), QColor(0, 0, 0));   // the top byte is not a colour
  EXPECT_EQ(RefFromColor(QColor(0x40, 0x80, 0xC0)), 0x00C08040u);
  EXPECT_EQ(RefFromColor(QColor(Qt::white)), 0x00FFFFFFu);
  CColorButton button;
  button.SetColor(0x00C08040);
  button.resize(40, 16);
  const QImage picture = button.grab().toImage();
  for (const QPoint p : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 15), QPoint(39, 15), QPoint(20, 8)})
    EXPECT_EQ(picture.pixelColor(p), QColor(0x40, 0x80, 0xC0)) << p.x() << "," << p.y();
  button.setEnabled(false);   // no border, and the same when disabled
  EXPECT_EQ(button.grab().toImage().pixelColor(1, 1), QColor(0x40, 0x80, 0xC0));
}

}  // namespace
}  // namespace spectrel
