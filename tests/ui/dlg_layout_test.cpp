// Both settings dialogs at the default font in English and Japanese: every text control gets the
// room its text needs, so nothing is cut off, and the keys reach the controls in reading order.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTranslator>

#include "app/conf_dlg.h"
#include "app/render_dialogs.h"
#include "app/translations.h"
#include "ui/color_button.h"
#include "ui/graph_dlg.h"

namespace spectrel {
namespace {

class DialogLayout : public ::testing::TestWithParam<QLocale::Language> {
 protected:
  void SetUp() override {
    Previous = QLocale();
    QLocale::setDefault(QLocale(GetParam()));
    Translators = InstallTranslations(QLocale(GetParam()));
    if (GetParam() == QLocale::Japanese) {
      ASSERT_FALSE(Translators.empty());
    }
    Settings.UseSensor = {1, 0, 1, 0};
    Settings.ComPort = {"4000", "0", "/dev/no-such-serial-line", "0"};   // long "not available" entries
    Settings.KrfFolder = "/home/station/Spectrel/krf/";
  }
  void TearDown() override {
    Translators.clear();
    QLocale::setDefault(Previous);
  }
  QLocale Previous;
  std::vector<std::unique_ptr<QTranslator>> Translators;
  AppSettings Settings;
};

TEST_P(DialogLayout, MeasurementSettingsShowEveryTextWhole) {
  CConfDlg dialog(Settings, std::vector<std::string>{});
  dialog.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(CutOffControls(dialog), QStringList());
  EXPECT_GE(dialog.PortList(2)->width(), dialog.PortList(2)->sizeHint().width());
  EXPECT_TRUE(dialog.OkButton()->isDefault());
}

TEST_P(DialogLayout, GraphSettingsShowEveryTextWhole) {
  CGraphDlg dialog(Settings.Graph, [] {});
  dialog.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(CutOffControls(dialog), QStringList());
  EXPECT_GE(dialog.GraphColorButton()->width(), 16);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, DialogLayout, ::testing::Values(QLocale::English, QLocale::Japanese));

TEST(DialogKeys, GraphSettingsTabOrderAndEnter) {
  GraphSettings graph;
  graph.AutoScale = 0;
  int redraws = 0;
  CGraphDlg dialog(graph, [&redraws] { ++redraws; });
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  QStringList order;
  QWidget* w = dialog.AutoBox();
  for (int i = 0; i < 10; ++i) {
    order << w->objectName();
    w = w->nextInFocusChain();
    while (w->focusPolicy() == Qt::NoFocus || !w->isEnabled()) w = w->nextInFocusChain();
  }
  EXPECT_EQ(order, (QStringList{"auto", "yTop", "xFrom", "xTo", "graphColor", "frameColor", "grid", "ok", "apply",
                                "cancel"}));
  // Enter in a field is OK: applied and hidden.
  dialog.YTopEdit()->setFocus();
  dialog.YTopEdit()->setText(QStringLiteral("42"));
  QTest::keyClick(dialog.YTopEdit(), Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_DOUBLE_EQ(graph.GraphTop, 42.0);
  EXPECT_EQ(redraws, 1);
}

TEST(DialogKeys, MeasurementSettingsEscapeCancels) {
  AppSettings settings;
  CConfDlg dialog(settings, std::vector<std::string>{});
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  dialog.IntegFromEdit()->setText(QStringLiteral("500"));
  QTest::keyClick(dialog.IntegFromEdit(), Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(settings.IntegFrom, 300);
}

}  // namespace
}  // namespace spectrel
