// The main frame on real widgets: title, menus, toolbar, prompts, the About box, and how the
// commands and the close box follow the measurement state, through the stop question.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QToolBar>

#include <filesystem>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/settings_actions.h"
#include "app/spectrel_app.h"
#include "measure/spectrel_doc.h"
#include "settings/profile.h"
#include "ui/qt_document_host.h"
#include "ui/spectrel_view.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::ProcessUntil;
using uitest::StopQuestionAnswer;
using uitest::TempFolder;

class MainFrameTest : public ::testing::Test {
 protected:
  MainFrameTest() {
    Options.ProgramPath = Folder.Path + "/spectrel";
    Options.Show = true;
  }
  // Starts the program with no sensor in use: measurement starts and stops without a port.
  void Start() {
    App = std::make_unique<CSpectrelApp>(Options);
    ASSERT_TRUE(App->InitInstance());
    Frame = App->MainFrame();
    Doc = App->Document();
  }
  void TearDown() override {
    if (Doc != nullptr && Doc->Measuring()) {
      StopQuestionAnswer ok(QMessageBox::Ok);
      App->Host()->IntervalDialog().AbortButton()->click();
      ProcessUntil([this] { return !Doc->Measuring(); }, 10000);
    }
    App.reset();
  }
  bool Enabled(int id) const { return Frame->Action(id)->isEnabled(); }

  TempFolder Folder;
  StartOptions Options;
  std::unique_ptr<CSpectrelApp> App;
  CMainFrame* Frame = nullptr;
  CSpectrelDoc* Doc = nullptr;
};

TEST_F(MainFrameTest, TitleMenusToolbarAndPrompts) {
  Start();
  EXPECT_EQ(Frame->windowTitle(), QStringLiteral("Spectrel"));
  QStringList menus;
  for (QAction* a : Frame->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Measure", "&View", "&Help"}));

  // Toolbar: 32771, 32777, 32773, separator, 32784, 57634, separator, 57607, separator, 57664.
  QList<int> order;
  for (QAction* a : Frame->ToolBar()->actions()) {
    int id = 0;
    for (int candidate : {IdMeasSettings, IdMeasManual, IdMeasInterval, IdGraphSettings, IdEditCopy, IdFilePrint,
                          IdAppAbout})
      if (Frame->Action(candidate) == a) id = candidate;
    order << (a->isSeparator() ? 0 : id);
  }
  EXPECT_EQ(order, (QList<int>{32771, 32777, 32773, 0, 32784, 57634, 0, 57607, 0, 57664}));
  for (QAction* a : Frame->ToolBar()->actions()) {
    if (!a->isSeparator()) {
      EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
    }
  }

  EXPECT_EQ(Frame->Action(IdFilePrint)->statusTip(), QStringLiteral("Print Current Data"));
  EXPECT_EQ(Frame->Action(IdFilePrint)->toolTip(), QStringLiteral("Print"));
  EXPECT_EQ(Frame->Action(IdFilePrint)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
  EXPECT_EQ(Frame->Action(IdEditCopy)->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
  EXPECT_EQ(Frame->Action(IdEditCopy)->statusTip(), QStringLiteral("Copy Current Data to Clipboard"));
  EXPECT_EQ(Frame->Action(IdMeasManual)->statusTip(), QStringLiteral("Start Manual Measurement"));
  EXPECT_EQ(Frame->Action(IdMeasInterval)->toolTip(), QStringLiteral("Start"));
  EXPECT_EQ(Frame->Action(IdGraphSettings)->toolTip(), QStringLiteral("Graph"));
  EXPECT_EQ(Frame->Action(IdAppExit)->statusTip(), QStringLiteral("Exit Spectrel"));
  EXPECT_EQ(Frame->Action(IdViewToolbar)->toolTip(), QStringLiteral("Toggle ToolBar"));
  EXPECT_EQ(Frame->Action(IdViewStatusBar)->statusTip(), QStringLiteral("Show or hide the status bar"));
  EXPECT_EQ(Frame->statusBar()->currentMessage(), QStringLiteral("Ready"));

  // A prompt shows while hovering and "Ready" returns after it.
  Frame->statusBar()->showMessage(Frame->Action(IdEditCopy)->statusTip());
  Frame->statusBar()->clearMessage();
  EXPECT_EQ(Frame->statusBar()->currentMessage(), QStringLiteral("Ready"));

  Frame->Action(IdViewStatusBar)->setChecked(false);
  EXPECT_FALSE(Frame->statusBar()->isVisible());
  Frame->Action(IdViewStatusBar)->setChecked(true);
  EXPECT_TRUE(Frame->statusBar()->isVisible());
}

TEST_F(MainFrameTest, AboutBoxShowsIconVersionAndOk) {
  Start();
  QString title;
  QString version;
  bool hasIcon = false;
  QTimer::singleShot(50, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    version = box->findChild<QLabel*>(QStringLiteral("version"))->text();
    hasIcon = !box->findChild<QLabel*>(QStringLiteral("icon"))->pixmap().isNull();
    box->accept();
  });
  Frame->Action(IdAppAbout)->trigger();
  EXPECT_EQ(title, QStringLiteral("About Spectrel"));
  EXPECT_EQ(version, QStringLiteral("Spectrel Version 5.0"));
  EXPECT_TRUE(hasIcon);
}

TEST_F(MainFrameTest, CommandsAndCloseFollowTheIntervalMeasurement) {
  Start();
  for (int id : {IdMeasInterval, IdMeasManual, IdMeasSettings, IdAppExit}) EXPECT_TRUE(Enabled(id)) << id;

  Frame->Action(IdMeasInterval)->trigger();
  ASSERT_TRUE(Doc->Measuring());
  EXPECT_EQ(App->Settings().MeasType, 0);
  for (int id : {IdMeasInterval, IdMeasManual, IdMeasSettings, IdAppExit}) EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_TRUE(Enabled(IdEditCopy));
  EXPECT_TRUE(Enabled(IdGraphSettings));
  EXPECT_TRUE(App->View()->IntervalTimerActive());
  CIntDlg& dialog = App->Host()->IntervalDialog();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Interval Measurement"));
  EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Frame->close());   // the window refuses to close while measuring
  EXPECT_TRUE(Frame->isVisible());

  // The one-second timer shows the clock line: "%Y/%m/%d  %H:%M:%S".
  ASSERT_TRUE(ProcessUntil([&] { return !dialog.ClockText().isEmpty(); }, 5000));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d  \\d\\d:\\d\\d:\\d\\d$"))
                  .match(dialog.ClockText())
                  .hasMatch())
      << dialog.ClockText().toStdString();

  {
    // Declining the question keeps everything running.
    StopQuestionAnswer cancel(QMessageBox::Cancel);
    dialog.AbortButton()->click();
    ASSERT_TRUE(ProcessUntil([&] { return cancel.Asked == 1 && dialog.isVisible(); }, 10000));
    EXPECT_EQ(cancel.Text, QStringLiteral("Stop Interval Measurement"));
    EXPECT_TRUE(Doc->Measuring());
    EXPECT_TRUE(App->View()->IntervalTimerActive());
    EXPECT_FALSE(Enabled(IdMeasManual));
  }
  {
    StopQuestionAnswer ok(QMessageBox::Ok);
    dialog.AbortButton()->click();
    ASSERT_TRUE(ProcessUntil([&] { return !Doc->Measuring(); }, 10000));
    EXPECT_EQ(ok.Asked, 1);
  }
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(App->View()->IntervalTimerActive());
  for (int id : {IdMeasInterval, IdMeasManual, IdMeasSettings, IdAppExit}) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_TRUE(Frame->close());
}

TEST_F(MainFrameTest, ManualMeasurementWithAFailedSensorWaitsForAbort) {
  {
    AppSettings stored;
    stored.UseSensor = {1, 0, 0, 0};
    stored.ComPort = {Folder.Path + "/no-such-port", "0", "0", "0"};
    ASSERT_TRUE(SaveSettings(stored, Folder.Path + "/spectrel.ini"));
  }
  Start();
  StopQuestionAnswer never(QMessageBox::Cancel);
  Frame->Action(IdMeasManual)->trigger();
  ASSERT_TRUE(Doc->Measuring());
  // Identification fails: polling ends without a run and the measurement stays active.
  ASSERT_TRUE(ProcessUntil([&] { return !App->View()->ManualPollActive(); }, 20000));
  uitest::ProcessFor(200);
  EXPECT_TRUE(Doc->Measuring());
  CIntDlg& dialog = App->Host()->IntervalDialog();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Manual Measurement"));
  EXPECT_FALSE(dialog.StatusText().isEmpty());
  EXPECT_TRUE(Doc->TimeText().empty());   // nothing was measured
  // Escape does not hide the dialog; "Abort" stops a manual measurement without a question.
  dialog.reject();
  EXPECT_TRUE(dialog.isVisible());
  dialog.AbortButton()->click();
  ASSERT_TRUE(ProcessUntil([&] { return !Doc->Measuring(); }, 10000));
  EXPECT_EQ(never.Asked, 0);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(Enabled(IdMeasManual));
}

TEST_F(MainFrameTest, PrintPreviewPaintsTheMarginedPage) {
  Start();
  Doc->GraphWidth = 0;
  bool shown = false;
  int width = 0;
  int height = 0;
  QTimer::singleShot(300, [&] {
    auto* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    shown = preview != nullptr;
    if (preview == nullptr) return;
    // Have the preview draw its page now and see what it was drawn with.
    auto* pages = preview->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(pages, nullptr);
    pages->updatePreview();
    width = Doc->GraphWidth;
    height = Doc->GraphHeight;
    preview->reject();
  });
  Frame->Action(IdFilePrintPreview)->trigger();
  ASSERT_TRUE(shown);
  // The preview drew the page through the printer path: a 4:3 area less its 1/20 margins, in
  // the printer's units.
  ASSERT_GT(width, 1000);
  EXPECT_NEAR(width * 3.0 / (height * 4.0), 1.0, 0.01);
  EXPECT_LT(width, App->View()->Printer().width());
}

#if __has_include("ui/graph_dlg.h") && __has_include("app/conf_dlg.h")
TEST_F(MainFrameTest, SettingsCommandsReachTheirDialogs) {
  Options.Simulate = true;   // the saved profile must keep the real ports
  Options.SimulatePaced = false;
  Start();
  QDialog* graph = App->Actions()->GraphDialog();
  ASSERT_NE(graph, nullptr);
  EXPECT_FALSE(graph->isVisible());   // created hidden at start-up
  Frame->Action(IdGraphSettings)->trigger();
  EXPECT_TRUE(graph->isVisible());
  EXPECT_FALSE(graph->isModal());
  graph->hide();

  // OK of the measurement settings saves the profile at once, without the simulator's ports.
  const std::string profile = Folder.Path + "/spectrel.ini";
  ASSERT_FALSE(std::filesystem::exists(profile));
  bool asked = false;
  QTimer::singleShot(100, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    asked = dialog != nullptr;
    if (dialog != nullptr) dialog->accept();
  });
  Frame->Action(IdMeasSettings)->trigger();
  ASSERT_TRUE(asked);
  ASSERT_TRUE(std::filesystem::exists(profile));
  EXPECT_EQ(uitest::ReadFile(profile).find("/dev/pts/"), std::string::npos);
  // In memory the simulator's ports stay in force.
  EXPECT_EQ(App->Settings().ComPort[0].rfind("/dev/pts/", 0), 0u);
}
#endif

TEST_F(MainFrameTest, AutoStartRunsBeforeTheWindowShows) {
  {
    AppSettings stored;
    stored.AutoStart = 1;
    ASSERT_TRUE(SaveSettings(stored, Folder.Path + "/spectrel.ini"));
  }
  Options.Show = false;
  Start();
  EXPECT_TRUE(Doc->Measuring());
  EXPECT_FALSE(Frame->isVisible());
  EXPECT_TRUE(App->View()->IntervalTimerActive());
  EXPECT_FALSE(Enabled(IdMeasInterval));
}

}  // namespace
}  // namespace spectrel
