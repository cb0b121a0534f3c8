// The main frame on real widgets: title, menus, toolbar, prompts, the About box, and how the
// commands and the close box follow the measurement state, through the stop question.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QToolBar>

#include "app/command_ids.h"
#include "app/main_frame.h"
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
