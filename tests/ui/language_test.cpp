// The program in English and Japanese: menus, prompts, the idle text, both settings dialogs and
// the sensor status texts read back through the widgets of the running program, and both
// dialogs laid out so that no text is cut off in either language.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTranslator>

#include "app/command_ids.h"
#include "app/conf_dlg.h"
#include "app/main_frame.h"
#include "app/render_dialogs.h"
#include "app/spectrel_app.h"
#include "app/translations.h"
#include "measure/spectrel_doc.h"
#include "measure/status_texts.h"
#include "settings/profile.h"
#include "ui/color_button.h"
#include "ui/graph_dlg.h"
#include "ui/int_dlg.h"
#include "ui/qt_document_host.h"
#include "ui/spectrel_view.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::ProcessUntil;

// The language as start-up chooses it from the default locale, with the program's translation
// installed (none is needed for English); everything is put back afterwards.
class LanguageTest : public ::testing::Test {
 protected:
  void Use(QLocale::Language language) {
    QLocale::setDefault(QLocale(language));
    Translators = InstallTranslations(QLocale(language));
    ASSERT_EQ(Translators.empty(), language == QLocale::English);
  }
  void TearDown() override {
    Translators.clear();
    QLocale::setDefault(Previous);
  }
  QStringList Texts(const QWidget& dialog) const {
    QStringList texts;
    for (const QGroupBox* group : dialog.findChildren<QGroupBox*>()) texts << group->title();
    for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    return texts;
  }
  QLocale Previous;
  std::vector<std::unique_ptr<QTranslator>> Translators;
};

class Japanese : public LanguageTest {
  void SetUp() override { Use(QLocale::Japanese); }
};

TEST_F(Japanese, MainWindowMenusPromptsAndIdleText) {
  uitest::TempFolder folder;
  CSpectrelApp app(StartOptions{folder.Path + "/spectrel"});
  ASSERT_TRUE(app.InitInstance());
  CMainFrame* frame = app.MainFrame();
  QStringList menus;
  for (QAction* a : frame->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"ﾌｧｲﾙ(&F)", "計測", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
  EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("ﾚﾃﾞｨ"));
  // Item, prompt and tool tip (none without a toolbar button); the two start buttons share the
  // English tip "Start" only.
  struct Command { int Id; const char *Text, *Prompt, *Tip; };
  const Command commands[] = {
      {IdFilePrint, "印刷(&P)...", "作業中のﾌｧｲﾙを印刷", "印刷"},
      {IdFilePrintPreview, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)", "印刷ｲﾒｰｼﾞを表示", "印刷ﾌﾟﾚﾋﾞｭｰ"},
      {IdFilePrintSetup, "ﾌﾟﾘﾝﾀの設定(&R)...", "ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更", "印刷設定"},
      {IdAppExit, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示", nullptr},
      {IdMeasSettings, "計測設定(&M)", "計測設定", "計測設定"},
      {IdMeasManual, "マニュアル計測開始(&A)", "マニュアル計測を開始する", "マニュアル計測開始"},
      {IdMeasInterval, "インターバル計測開始(&S)", "インターバル計測を開始する", "インターバル計測開始"},
      {IdGraphSettings, "グラフ設定(&G)", "グラフ表示の設定", "グラフ設定"},
      {IdEditCopy, "ｺﾋﾟｰ(&C)", "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存", "ｺﾋﾟｰ"},
      {IdViewToolbar, "ﾂｰﾙ ﾊﾞｰ(&T)", "ﾂｰﾙ ﾊﾞｰの 表示/非表示", "ﾂｰﾙ ﾊﾞｰの表示切り替え"},
      {IdViewStatusBar, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示", "ｽﾃｰﾀｽ ﾊﾞｰの表示切り替え"},
      {IdAppAbout, "Spectrel のﾊﾞｰｼﾞｮﾝ情報(&A)...", nullptr, "ﾊﾞｰｼﾞｮﾝ情報"}};
  for (const Command& c : commands) {
    const QAction* a = frame->Action(c.Id);
    EXPECT_EQ(a->text(), QString::fromUtf8(c.Text)) << c.Id;
    if (c.Prompt != nullptr) { EXPECT_EQ(a->statusTip(), QString::fromUtf8(c.Prompt)) << c.Id; }
    if (c.Tip != nullptr) { EXPECT_EQ(a->toolTip(), QString::fromUtf8(c.Tip)) << c.Id; }
  }
}

TEST_F(Japanese, BothSettingsDialogs) {
  AppSettings settings;
  CConfDlg conf(settings, std::vector<std::string>{});
  EXPECT_EQ(conf.windowTitle(), QStringLiteral("計測設定"));
  const QStringList texts = Texts(conf);
  for (const char* text : {"COMポート", "データメモ", "積分区間(nm)", "計測時間", "KRF形式データ", "CSV形式データ",
                           "波長ピッチ", "波長範囲(nm)", "データ選択", "最小値", "最大値", "開始", "終了", "分毎",
                           "ファイル名：\"YYYYMMDD.krf\" (日毎）"})
    EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
  EXPECT_FALSE(texts.contains(QStringLiteral("Every")));
  const std::pair<QAbstractButton*, const char*> buttons[] = {
      {conf.SaveBox(), "保存する - ファイル名：\"YYYYMMDDhh.csv\" (時間毎）"},
      {conf.RawButton(), "オリジナル"}, {conf.GridButton(), "1nm"}, {conf.MergeBox(), "マージ"},
      {conf.KrfBrowseButton(), "参照"}, {conf.CsvBrowseButton(), "参照"},
      {conf.AutoStartBox(), "ソフトウェア起動時に\n計測を自動で開始する"}, {conf.CancelButton(), "ｷｬﾝｾﾙ"},
      {conf.OkButton(), "OK"}, {conf.UseBox(1), "SR-102"}};
  for (const auto& [button, text] : buttons) EXPECT_EQ(button->text(), QString::fromUtf8(text));

  GraphSettings graph;
  CGraphDlg dialog(graph, [] {});
  EXPECT_EQ(Texts(dialog).mid(0, 2), (QStringList{"Ｙ軸", "Ｘ軸"}));
  EXPECT_EQ(dialog.AutoBox()->text(), QStringLiteral("AUTO"));
  EXPECT_EQ(dialog.GridBox()->text(), QStringLiteral("罫線"));
  EXPECT_EQ(dialog.ApplyButton()->text(), QStringLiteral("適用"));
  EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("ｷｬﾝｾﾙ"));
  for (const char* text : {"グラフ色", "フレーム色", "W/m2/um"})
    EXPECT_TRUE(Texts(dialog).contains(QString::fromUtf8(text))) << text;
  EXPECT_FALSE(Texts(dialog).contains(QStringLiteral("From")));
  // The x range reads "[from] nm ～ [to] nm": each unit follows its field.
  EXPECT_EQ(uitest::RangeRow(dialog, QStringLiteral("Ｘ軸"), dialog.XFromEdit(), dialog.XToEdit()),
            (QStringList{"[from]", "nm ～", "[to]", "nm"}));
}

// LC_ALL set to Japanese for one test and put back afterwards.
class JapaneseProcessLocale {
 public:
  JapaneseProcessLocale() : Had(std::getenv("LC_ALL") != nullptr), Saved(Had ? std::getenv("LC_ALL") : "") {
    setenv("LC_ALL", "ja_JP.UTF-8", 1);
  }
  ~JapaneseProcessLocale() { Had ? setenv("LC_ALL", Saved.c_str(), 1) : unsetenv("LC_ALL"); }

 private:
  bool Had;
  std::string Saved;
};

// The sensors' status texts follow the process locale, as they do on a Japanese system. A sensor
// whose port is missing fails identification, and the manual measurement waits for "Abort".
TEST_F(Japanese, FailedSensorStatusAbortAndStopQuestion) {
  JapaneseProcessLocale locale;
  uitest::TempFolder folder;
  AppSettings stored;
  stored.AppFolder = stored.KrfFolder = stored.CsvFolder = folder.Slash();
  stored.UseSensor = {1, 0, 0, 0};
  stored.ComPort = {folder.Path + "/no-such-port", "0", "0", "0"};
  ASSERT_TRUE(SaveSettings(stored, folder.Path + "/spectrel.ini"));
  CSpectrelApp app(StartOptions{folder.Path + "/spectrel"});
  ASSERT_TRUE(app.InitInstance());
  CIntDlg& status = app.Host()->IntervalDialog();
  auto measuring = [&] { return app.Document()->Measuring(); };
  app.MainFrame()->Action(IdMeasManual)->trigger();
  EXPECT_TRUE(ProcessUntil([&] { return status.isVisible(); }, 10000));
  const std::string portFailed = MeasureText(TextInfoStatusFirst + 1, Language::Japanese);
  ASSERT_NE(portFailed, MeasureText(TextInfoStatusFirst + 1, Language::English));
  EXPECT_TRUE(ProcessUntil([&] { return status.StatusText().contains(QString::fromStdString(portFailed)); }, 10000))
      << status.StatusText().toStdString();
  EXPECT_TRUE(status.StatusText().startsWith(QStringLiteral("SR-101 ")));
  EXPECT_EQ(status.windowTitle(), QString::fromStdString(MeasureText(TextManualTitle, Language::Japanese)));
  EXPECT_EQ(status.AbortButton()->text(), QStringLiteral("中止"));
  // Polling ends without a run and the measurement stays active, with nothing measured.
  ASSERT_TRUE(ProcessUntil([&] { return !app.View()->ManualPollActive(); }, 20000));
  uitest::ProcessFor(200);
  EXPECT_TRUE(measuring());
  EXPECT_TRUE(app.Document()->TimeText().empty());
  // Escape does not hide the dialog; "Abort" stops a manual measurement without a question.
  status.reject();
  EXPECT_TRUE(status.isVisible());
  {
    uitest::StopQuestionAnswer never(QMessageBox::Cancel);
    status.AbortButton()->click();
    EXPECT_TRUE(ProcessUntil([&] { return !measuring(); }, 10000));
    EXPECT_EQ(never.Asked, 0);
  }
  EXPECT_FALSE(status.isVisible());
  EXPECT_TRUE(app.MainFrame()->Action(IdMeasManual)->isEnabled());
  // The stop question of an interval measurement, with the Japanese Cancel.
  app.MainFrame()->Action(IdMeasInterval)->trigger();
  EXPECT_TRUE(ProcessUntil([&] { return status.isVisible(); }, 10000));
  uitest::StopQuestionAnswer ok(QMessageBox::Ok);
  status.AbortButton()->click();
  EXPECT_TRUE(ProcessUntil([&] { return !measuring(); }, 10000));
  EXPECT_EQ(ok.Text, QString::fromStdString(MeasureText(TextStopQuestion, Language::Japanese)));
  EXPECT_EQ(ok.CancelText, QStringLiteral("ｷｬﾝｾﾙ"));
}

// Both settings dialogs at the default font: every text control gets the room its text needs.
class DialogLayout : public LanguageTest, public ::testing::WithParamInterface<QLocale::Language> {};

TEST_P(DialogLayout, BothSettingsDialogsShowEveryTextWhole) {
  Use(GetParam());
  EXPECT_TRUE(InstallTranslations(QLocale::c()).empty());
  AppSettings settings;
  settings.UseSensor = {1, 0, 1, 0};
  settings.ComPort = {"4000", "0", "/dev/no-such-serial-line", "0"};   // long "not available" entries
  settings.KrfFolder = "/home/station/Spectrel/krf/";
  CConfDlg conf(settings, std::vector<std::string>{});
  CGraphDlg graph(settings.Graph, [] {});
  conf.show();
  graph.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(CutOffControls(conf), QStringList());
  EXPECT_GE(conf.PortList(2)->width(), conf.PortList(2)->sizeHint().width());
  EXPECT_TRUE(conf.OkButton()->isDefault());
  EXPECT_EQ(CutOffControls(graph), QStringList());
  EXPECT_GE(graph.GraphColorButton()->width(), 16);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, DialogLayout, ::testing::Values(QLocale::English, QLocale::Japanese));

}  // namespace
}  // namespace spectrel
