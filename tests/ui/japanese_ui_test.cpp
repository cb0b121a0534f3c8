// The program in Japanese: menus, prompts, the idle text, both settings dialogs and the sensor
// status texts, read back through the widgets of the running program.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QTranslator>

#include <cstdlib>

#include "app/command_ids.h"
#include "app/conf_dlg.h"
#include "app/main_frame.h"
#include "app/spectrel_app.h"
#include "app/translations.h"
#include "measure/spectrel_doc.h"
#include "measure/status_texts.h"
#include "settings/profile.h"
#include "ui/graph_dlg.h"
#include "ui/int_dlg.h"
#include "ui/qt_document_host.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::ProcessUntil;
using uitest::TempFolder;

QStringList GroupTitles(const QWidget& dialog) {
  QStringList titles;
  for (const QGroupBox* group : dialog.findChildren<QGroupBox*>()) titles << group->title();
  return titles;
}

QStringList LabelTexts(const QWidget& dialog) {
  QStringList texts;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
  return texts;
}

// Japanese as the default locale with the program's translation installed, as start-up does on
// a Japanese system; everything is put back afterwards.
class JapaneseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Previous = QLocale();
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    Translators = InstallTranslations(QLocale(QLocale::Japanese, QLocale::Japan));
    ASSERT_FALSE(Translators.empty());
  }
  void TearDown() override {
    Translators.clear();
    QLocale::setDefault(Previous);
  }
  QLocale Previous;
  std::vector<std::unique_ptr<QTranslator>> Translators;
};

TEST(Translations, EnglishNeedsNoTranslator) {
  EXPECT_TRUE(InstallTranslations(QLocale(QLocale::English, QLocale::UnitedStates)).empty());
  EXPECT_TRUE(InstallTranslations(QLocale::c()).empty());
}

TEST_F(JapaneseTest, MainWindowMenusPromptsAndIdleText) {
  TempFolder folder;
  StartOptions options;
  options.ProgramPath = folder.Path + "/spectrel";
  options.Show = true;
  CSpectrelApp app(options);
  ASSERT_TRUE(app.InitInstance());
  CMainFrame* frame = app.MainFrame();

  QStringList menus;
  for (QAction* a : frame->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"ﾌｧｲﾙ(&F)", "計測", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
  EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("ﾚﾃﾞｨ"));

  EXPECT_EQ(frame->Action(IdFilePrint)->text(), QStringLiteral("印刷(&P)..."));
  EXPECT_EQ(frame->Action(IdFilePrint)->statusTip(), QStringLiteral("作業中のﾌｧｲﾙを印刷"));
  EXPECT_EQ(frame->Action(IdFilePrint)->toolTip(), QStringLiteral("印刷"));
  EXPECT_EQ(frame->Action(IdFilePrintPreview)->text(), QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ(&V)"));
  EXPECT_EQ(frame->Action(IdFilePrintSetup)->text(), QStringLiteral("ﾌﾟﾘﾝﾀの設定(&R)..."));
  EXPECT_EQ(frame->Action(IdAppExit)->text(), QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"));
  EXPECT_EQ(frame->Action(IdMeasSettings)->text(), QStringLiteral("計測設定(&M)"));
  EXPECT_EQ(frame->Action(IdMeasManual)->text(), QStringLiteral("マニュアル計測開始(&A)"));
  EXPECT_EQ(frame->Action(IdMeasManual)->statusTip(), QStringLiteral("マニュアル計測を開始する"));
  EXPECT_EQ(frame->Action(IdMeasInterval)->text(), QStringLiteral("インターバル計測開始(&S)"));
  EXPECT_EQ(frame->Action(IdMeasInterval)->statusTip(), QStringLiteral("インターバル計測を開始する"));
  // The two start buttons share the English tip "Start" but not the Japanese one.
  EXPECT_EQ(frame->Action(IdMeasManual)->toolTip(), QStringLiteral("マニュアル計測開始"));
  EXPECT_EQ(frame->Action(IdMeasInterval)->toolTip(), QStringLiteral("インターバル計測開始"));
  EXPECT_EQ(frame->Action(IdFilePrintPreview)->statusTip(), QStringLiteral("印刷ｲﾒｰｼﾞを表示"));
  EXPECT_EQ(frame->Action(IdFilePrintPreview)->toolTip(), QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"));
  EXPECT_EQ(frame->Action(IdGraphSettings)->text(), QStringLiteral("グラフ設定(&G)"));
  EXPECT_EQ(frame->Action(IdGraphSettings)->statusTip(), QStringLiteral("グラフ表示の設定"));
  EXPECT_EQ(frame->Action(IdGraphSettings)->toolTip(), QStringLiteral("グラフ設定"));
  EXPECT_EQ(frame->Action(IdEditCopy)->text(), QStringLiteral("ｺﾋﾟｰ(&C)"));
  EXPECT_EQ(frame->Action(IdEditCopy)->statusTip(), QStringLiteral("選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存"));
  EXPECT_EQ(frame->Action(IdViewToolbar)->text(), QStringLiteral("ﾂｰﾙ ﾊﾞｰ(&T)"));
  EXPECT_EQ(frame->Action(IdViewStatusBar)->text(), QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&S)"));
  EXPECT_EQ(frame->Action(IdViewStatusBar)->statusTip(), QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示"));
  EXPECT_EQ(frame->Action(IdAppAbout)->text(), QStringLiteral("Spectrel のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
  EXPECT_EQ(frame->Action(IdAppAbout)->toolTip(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
}

TEST_F(JapaneseTest, MeasurementSettingsDialog) {
  AppSettings settings;
  CConfDlg dialog(settings, std::vector<std::string>{});
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("計測設定"));
  const QStringList groups = GroupTitles(dialog);
  for (const char* title : {"COMポート", "データメモ", "積分区間(nm)", "計測時間", "KRF形式データ", "CSV形式データ",
                            "波長ピッチ", "波長範囲(nm)", "データ選択"})
    EXPECT_TRUE(groups.contains(QString::fromUtf8(title))) << title;
  const QStringList labels = LabelTexts(dialog);
  for (const char* text : {"最小値", "最大値", "開始", "終了", "分毎", "ファイル名：\"YYYYMMDD.krf\" (日毎）"})
    EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
  EXPECT_FALSE(labels.contains(QStringLiteral("Every")));
  EXPECT_EQ(dialog.SaveBox()->text(), QStringLiteral("保存する - ファイル名：\"YYYYMMDDhh.csv\" (時間毎）"));
  EXPECT_EQ(dialog.RawButton()->text(), QStringLiteral("オリジナル"));
  EXPECT_EQ(dialog.GridButton()->text(), QStringLiteral("1nm"));
  EXPECT_EQ(dialog.MergeBox()->text(), QStringLiteral("マージ"));
  EXPECT_EQ(dialog.KrfBrowseButton()->text(), QStringLiteral("参照"));
  EXPECT_EQ(dialog.CsvBrowseButton()->text(), QStringLiteral("参照"));
  EXPECT_EQ(dialog.AutoStartBox()->text(), QStringLiteral("ソフトウェア起動時に\n計測を自動で開始する"));
  EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("ｷｬﾝｾﾙ"));
  EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("OK"));
  EXPECT_EQ(dialog.UseBox(1)->text(), QStringLiteral("SR-102"));
}

TEST_F(JapaneseTest, GraphSettingsDialogPutsTheUnitsAfterTheFields) {
  GraphSettings graph;
  CGraphDlg dialog(graph, [] {});
  EXPECT_EQ(GroupTitles(dialog).mid(0, 2), (QStringList{"Ｙ軸", "Ｘ軸"}));
  EXPECT_EQ(dialog.AutoBox()->text(), QStringLiteral("AUTO"));
  EXPECT_EQ(dialog.GridBox()->text(), QStringLiteral("罫線"));
  EXPECT_EQ(dialog.ApplyButton()->text(), QStringLiteral("適用"));
  EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("ｷｬﾝｾﾙ"));
  const QStringList labels = LabelTexts(dialog);
  for (const char* text : {"グラフ色", "フレーム色", "nm ～", "nm", "W/m2/um"})
    EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
  EXPECT_FALSE(labels.contains(QStringLiteral("From")));
  // The x range reads "[from] nm ～ [to] nm": each unit follows its field.
  QGroupBox* range = nullptr;
  for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
    if (group->title() == QStringLiteral("Ｘ軸")) range = group;
  ASSERT_NE(range, nullptr);
  QStringList row;
  for (int i = 0; i < range->layout()->count(); ++i) {
    QWidget* w = range->layout()->itemAt(i)->widget();
    if (w == dialog.XFromEdit()) row << QStringLiteral("[from]");
    else if (w == dialog.XToEdit()) row << QStringLiteral("[to]");
    else if (auto* label = qobject_cast<QLabel*>(w)) row << label->text();
  }
  EXPECT_EQ(row, (QStringList{"[from]", "nm ～", "[to]", "nm"}));
}

// The sensors' status texts follow the process locale, as they do on a Japanese system.
TEST_F(JapaneseTest, IntervalDialogShowsJapaneseStatusTexts) {
  TempFolder folder;
  const char* previous = std::getenv("LC_ALL");
  const std::string saved = previous != nullptr ? previous : "";
  setenv("LC_ALL", "ja_JP.UTF-8", 1);
  {
    AppSettings stored;
    stored.AppFolder = folder.Slash();
    stored.KrfFolder = folder.Slash();
    stored.CsvFolder = folder.Slash();
    stored.UseSensor = {1, 0, 0, 0};
    stored.ComPort = {folder.Path + "/no-such-port", "0", "0", "0"};
    ASSERT_TRUE(SaveSettings(stored, folder.Path + "/spectrel.ini"));
    StartOptions options;
    options.ProgramPath = folder.Path + "/spectrel";
    CSpectrelApp app(options);
    ASSERT_TRUE(app.InitInstance());
    CIntDlg& status = app.Host()->IntervalDialog();
    app.MainFrame()->Action(IdMeasManual)->trigger();
    EXPECT_TRUE(ProcessUntil([&] { return status.isVisible(); }, 10000));
    const std::string portFailed = MeasureText(TextInfoStatusFirst + 1, Language::Japanese);
    ASSERT_NE(portFailed, MeasureText(TextInfoStatusFirst + 1, Language::English));
    EXPECT_TRUE(ProcessUntil([&] { return status.StatusText().contains(QString::fromStdString(portFailed)); }, 10000))
        << status.StatusText().toStdString();
    EXPECT_TRUE(status.StatusText().startsWith(QStringLiteral("SR-101 ")));
    EXPECT_EQ(status.windowTitle(), QString::fromStdString(MeasureText(TextManualTitle, Language::Japanese)));
    EXPECT_EQ(status.AbortButton()->text(), QStringLiteral("中止"));
    status.AbortButton()->click();
    EXPECT_TRUE(ProcessUntil([&] { return !app.Document()->Measuring(); }, 10000));

    // The stop question of an interval measurement, with the Japanese Cancel.
    app.MainFrame()->Action(IdMeasInterval)->trigger();
    EXPECT_TRUE(ProcessUntil([&] { return status.isVisible(); }, 10000));
    QString question;
    QString cancel;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      question = box->text();
      cancel = box->button(QMessageBox::Cancel)->text();
      box->button(QMessageBox::Ok)->click();
    });
    answer.start();
    status.AbortButton()->click();
    EXPECT_TRUE(ProcessUntil([&] { return !app.Document()->Measuring(); }, 10000));
    EXPECT_EQ(question, QString::fromStdString(MeasureText(TextStopQuestion, Language::Japanese)));
    EXPECT_EQ(cancel, QStringLiteral("ｷｬﾝｾﾙ"));
  }
  if (previous != nullptr)
    setenv("LC_ALL", saved.c_str(), 1);
  else
    unsetenv("LC_ALL");
}

}  // namespace
}  // namespace spectrel
