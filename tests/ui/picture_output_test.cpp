// The one output that the graph and the day overview leave the window through: files of the kind
// their suffix names, and pages printed to PDF in the orientation of each picture's printer; and
// the event log's window following its file.
#include <QRegularExpression>

#include "app/main_frame.h"
#include "app/overview_pane.h"
#include "app/spectrel_app.h"
#include "ui/event_log_window.h"
#include "ui/graph_output.h"
#include "ui/picture_output.h"
#include "ui/spectrel_view.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

PictureSource Square() {
  return {QStringLiteral("square"), [](QPainter& p, const QRect& area) { p.fillRect(area.adjusted(10, 10, -10, -10), Qt::black); },
          [](const QPaintDevice& page) { return QRect(0, 0, page.width(), page.height()); }};
}

TEST(PictureOutput, FilesAreWrittenInTheKindTheirSuffixNames) {
  uitest::TempDir folder;
  const std::pair<const char*, std::string> kinds[] = {{"a.png", "\x89PNG"}, {"a.SVG", "<?xml"}, {"a.pdf", "%PDF"}};
  for (const auto& [name, magic] : kinds) {
    ASSERT_TRUE(SavePicture(Square(), QString::fromStdString(folder.File(name)), QSize(64, 48))) << name;
    EXPECT_EQ(uitest::ReadBytes(folder.File(name)).substr(0, magic.size()), magic) << name;
  }
  EXPECT_EQ(QImage(QString::fromStdString(folder.File("a.png"))).size(), QSize(64, 48));
}

// Width over height of the first page of a PDF file, from its media box.
double PageAspect(const std::string& pdf) {
  const QRegularExpression box(QStringLiteral(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+))"));
  const auto match = box.match(QString::fromStdString(pdf));
  return match.hasMatch() ? match.captured(1).toDouble() / match.captured(2).toDouble() : 0.0;
}

TEST(PictureOutput, BothPicturesPrintOnLandscapePages) {
  uitest::TempDir folder;
  CSpectrelApp app(StartOptions{folder.File("spectrel")});
  ASSERT_TRUE(app.InitInstance());
  CMainFrame& frame = *app.MainFrame();
  CGraph graph;
  const GraphInputs inputs = InputsOf(*app.Document());
  const std::tuple<const char*, QPrinter*, PictureSource> pages[] = {
      {"graph.pdf", &frame.View().Printer(), GraphSource(inputs, graph)},
      {"overview.pdf", &frame.Overview().Printer(), frame.Overview().Picture()}};
  for (const auto& [name, printer, source] : pages) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(folder.File(name)));
    ASSERT_TRUE(PrintPicture(*printer, source)) << name;
    EXPECT_NEAR(PageAspect(uitest::ReadBytes(folder.File(name))), 297.0 / 210.0, 0.01) << name;
  }
}

TEST(EventLogWindow, FollowsLinesAppendedToTheLog) {
  uitest::TempDir folder;
  const std::string log = folder.File("2026.LOG");
  spectrel::testing::WriteBytes(log, "2026/06/01 10:00:00 APP START\r\n");
  CEventLogWindow window([&] { return log; });
  window.show();
  spectrel::testing::WriteBytes(log, "2026/06/01 10:00:00 APP START\r\n2026/06/01 10:05:00 INT.MEAS START\r\n2026/06/01 10:0");
  window.Refresh();   // what the one-second look does
  EXPECT_EQ(window.Text(), QStringLiteral("2026/06/01 10:00:00 APP START\n2026/06/01 10:05:00 INT.MEAS START"));
}

}  // namespace
}  // namespace spectrel
