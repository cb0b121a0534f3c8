// The program in Japanese: the compiled translation chosen at start-up from the process locale,
// read back through a sample of widgets; every text the program marks for translation has a Japanese
// one; and both settings dialogs laid out so that no text is cut off in either language.
#include "app/command_ids.h"
#include "app/conf_dlg.h"
#include "app/main_frame.h"
#include "look/render_dialogs.h"
#include "app/spectrel_app.h"
#include "app/translations.h"
#include "ui/graph_dlg.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

TEST(Japanese, AJapaneseLocaleGivesTheJapaneseTexts) {
  uitest::TempDir folder;
  spectrel::testing::ScopedEnv locale("LC_ALL", "ja_JP.UTF-8");
  CSpectrelApp app(StartOptions{folder.File("spectrel")});
  ASSERT_TRUE(app.InitInstance());
  CMainFrame& frame = *app.MainFrame();
  EXPECT_EQ(frame.menuBar()->actions().front()->text(), QStringLiteral("ﾌｧｲﾙ(&F)"));
  EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("ﾚﾃﾞｨ"));
  // The two start buttons share the English tip "Start" only.
  EXPECT_EQ(frame.Action(IdMeasManual)->toolTip(), QStringLiteral("マニュアル計測開始"));
  EXPECT_EQ(frame.Action(IdMeasInterval)->toolTip(), QStringLiteral("インターバル計測開始"));
  AppSettings settings;
  CConfDlg conf(settings, std::vector<std::string>{});
  EXPECT_EQ(conf.windowTitle(), QStringLiteral("計測設定"));   // a dialog made after start-up
}

// Every text marked for translation in the program's sources (the first literal of each tr()) has
// a finished Japanese translation in the translation file.
TEST(Japanese, EveryMarkedTextHasAFinishedTranslation) {
  QFile ts(QStringLiteral(SPECTREL_SOURCE_DIR "/res/translations/spectrel_ja.ts"));
  ASSERT_TRUE(ts.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&ts);
  QString source;
  QSet<QString> sources;
  while (!xml.atEnd()) {
    if (!xml.readNextStartElement()) continue;
    if (xml.name() == u"source") sources << (source = xml.readElementText());
    if (xml.name() != u"translation") continue;
    EXPECT_TRUE(xml.attributes().value(QStringLiteral("type")).isEmpty()) << source.toStdString();
    EXPECT_FALSE(xml.readElementText().isEmpty()) << source.toStdString();
  }
  ASSERT_GT(sources.size(), 50);
  const QRegularExpression marked(QStringLiteral(R"(\btr\("((?:[^"\\]|\\.)*)\")"));
  for (const char* dir : {"/src/ui", "/src/app"}) {
    QDirIterator files(QStringLiteral(SPECTREL_SOURCE_DIR) + dir, {"*.cpp", "*.h"});
    while (files.hasNext()) {
      QFile file(files.next());
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      for (const auto& match : marked.globalMatch(QString::fromUtf8(file.readAll()))) {
        const QString text = match.captured(1).replace(QStringLiteral("\\n"), QStringLiteral("\n")).replace(QStringLiteral("\\\""), QStringLiteral("\""));
        EXPECT_TRUE(sources.contains(text)) << file.fileName().toStdString() << ": " << text.toStdString();
      }
    }
  }
}

// Each test in either language: the default locale and its translations for the test's span.
class BothLanguages : public ::testing::TestWithParam<QLocale::Language> {
 protected:
  BothLanguages() { QLocale::setDefault(QLocale(GetParam())); }
  ~BothLanguages() override { QLocale::setDefault(Previous); }
  const QLocale Previous;
  const std::vector<std::unique_ptr<QTranslator>> Translators = InstallTranslations(QLocale(GetParam()));
  AppSettings Settings;
};

// Both settings dialogs at the default font: every text control gets the room its text needs.
TEST_P(BothLanguages, BothSettingsDialogsShowEveryTextWhole) {
  Settings.UseSensor = {true, false, true, false};
  Settings.ComPort = {"4000", "0", "/dev/no-such-serial-line", "0"};   // long "not available" entries
  Settings.KrfFolder = "/home/station/Spectrel/krf/";
  CConfDlg conf(Settings, std::vector<std::string>{});
  CGraphDlg graph(Settings.Graph, [] {});
  conf.show();
  graph.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(CutOffControls(conf), QStringList());
  EXPECT_EQ(CutOffControls(graph), QStringList());
}

// The letter after a single '&', upper-cased; none when the text has no mnemonic.
QChar Mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toUpper();
    ++i;
  }
  return {};
}

// Texts sharing a mnemonic among the given ones, as "text/text".
QStringList Clashes(const QStringList& texts) {
  QMap<QChar, QString> seen;
  QStringList clashes;
  for (const QString& text : texts) {
    const QChar key = Mnemonic(text);
    if (key.isNull()) continue;
    if (seen.contains(key)) clashes << seen[key] + QLatin1Char('/') + text;
    seen[key] = text;
  }
  return clashes;
}

QStringList MenuClashes(const QList<QAction*>& actions) {
  QStringList texts;
  QStringList clashes;
  for (QAction* action : actions) {
    if (action->isSeparator()) continue;
    texts << action->text();
    if (action->menu() != nullptr) clashes << MenuClashes(action->menu()->actions());
  }
  return clashes << Clashes(texts);
}

QStringList DialogClashes(const QWidget& dialog) {
  QStringList texts;
  for (const QWidget* w : dialog.findChildren<QWidget*>()) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) texts << button->text();
    if (const auto* label = qobject_cast<const QLabel*>(w); label != nullptr && label->buddy() != nullptr) texts << label->text();
  }
  return Clashes(texts);
}

TEST_P(BothLanguages, EveryMnemonicIsUniqueWithinItsMenuOrDialog) {
  uitest::TempDir folder;
  CSpectrelApp app(StartOptions{folder.File("spectrel")});
  ASSERT_TRUE(app.InitInstance());
  EXPECT_EQ(MenuClashes(app.MainFrame()->menuBar()->actions()), QStringList());
  CConfDlg conf(Settings, std::vector<std::string>{});
  CGraphDlg graph(Settings.Graph, [] {});
  EXPECT_EQ(DialogClashes(conf), QStringList());
  EXPECT_EQ(DialogClashes(graph), QStringList());
  // The time fields are reached from the keyboard in both languages.
  for (const char* name : {"startHour", "finishHour", "interval"}) {
    const auto* field = conf.findChild<QWidget*>(QString::fromLatin1(name));
    const QList<QLabel*> labels = conf.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](QLabel* l) { return l->buddy() == field && !Mnemonic(l->text()).isNull(); }))
        << name;
  }
}

INSTANTIATE_TEST_SUITE_P(EnglishAndJapanese, BothLanguages, ::testing::Values(QLocale::English, QLocale::Japanese));

}  // namespace
}  // namespace spectrel
