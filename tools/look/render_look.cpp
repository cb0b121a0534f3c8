#include "look/render_look.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPrinter>
#include <QSettings>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/main_frame.h"
#include "app/overview_pane.h"
#include "look/render_overview.h"
#include "look/render_states.h"
#include "app/spectrel_app.h"
#include "measure/spectrel_doc.h"
#include "ui/graph_output.h"
#include "ui/qt_document_host.h"
#include "ui/spectrel_view.h"
#include "ui/window_memory.h"

namespace spectrel {

namespace {

// Keeps the event loop running until done() or the deadline; false on time-out.
template <typename Done>
bool ProcessUntil(Done done, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

bool Report(bool ok, const QString& what) {
  std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "failed:", qPrintable(what));
  return ok;
}

}  // namespace

int RenderLook(const std::string& outputFolder) {
  const QDir out(QString::fromStdString(outputFolder));
  if (!QDir().mkpath(out.absolutePath())) return Report(false, out.absolutePath()) ? 0 : 2;

  char pattern[] = "/tmp/spectrel-look-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 2;
  const std::string home = pattern;

  // Window places of this run stay in the temporary folder, not in the user's settings.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(home));

  StartOptions options;
  options.ProgramPath = home + "/spectrel";
  options.Simulate = true;
  options.SimulatePaced = false;
  options.Show = true;
  int code = 0;
  {
    CSpectrelApp app(options);
    if (!app.InitInstance()) return 2;
    CMainFrame& frame = *app.MainFrame();
    CSpectrelDoc& doc = *app.Document();
    // The first-start size on a 1280 x 1024 screen.
    frame.resize(FirstWindowSize(QSize(1280, 1024)));
    frame.View().OnStartManual();
    bool measured = ProcessUntil([&] { return !doc.Measuring(); }, 120000);
    // A second point, so that an earlier one of the running day can be pinned.
    frame.View().OnStartManual();
    measured = ProcessUntil([&] { return !doc.Measuring(); }, 120000) && measured;
    if (!Report(measured && !doc.DisplaySpectrum().Empty(), QStringLiteral("one simulated measurement"))) code = 1;
    ProcessUntil([] { return false; }, 200);   // let the window repaint

    const QString window = out.filePath(QStringLiteral("main_window.png"));
    if (!Report(frame.grab().save(window), window)) code = 1;

    CGraph graph;
    const GraphInputs inputs = InputsOf(doc);
    const PictureSource picture = GraphSource(inputs, graph);
    const QString graphFile = out.filePath(QStringLiteral("graph.png"));
    if (!Report(PictureImage(picture, QSize(1000, 750)).save(graphFile), graphFile)) code = 1;
    const QString clip = out.filePath(QStringLiteral("clipboard.svg"));
    if (!Report(SavePicture(picture, clip, ClipboardPictureSize()), clip)) code = 1;

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageOrientation(frame.View().Printer().pageLayout().orientation());
    const QString pdf = out.filePath(QStringLiteral("page.pdf"));
    printer.setOutputFileName(pdf);
    if (!Report(PrintPicture(printer, picture), pdf)) code = 1;

    // The measurement dialog as it looks during a run.
    app.Host()->IntervalDialog().setWindowTitle(QStringLiteral("Manual Measurement"));
    app.Host()->IntervalDialog().SetStatus(QString::fromStdString(doc.Link(0).Text() + "\n" + doc.Link(2).Text()));
    app.Host()->ShowIntervalDialog(true);
    ProcessUntil([] { return false; }, 100);
    const QString dialog = out.filePath(QStringLiteral("interval_dialog.png"));
    if (!Report(app.Host()->IntervalDialog().grab().save(dialog), dialog)) code = 1;
    app.Host()->ShowIntervalDialog(false);

    // The day overview of a generated day, in English and Japanese.
    if (!Report(RenderOverviews(frame.Overview(), MakeLookDay(doc.DayData()), QString::fromStdString(home),
                                out.absolutePath()),
                QStringLiteral("the day overview")))
      code = 1;
    // The states of the new commands, in both languages.
    const QString home_ = QString::fromStdString(home);
    if (!Report(RenderStates(frame, QDir(home_).filePath(QStringLiteral("look-day.krf")),
                             QDir(home_).filePath(QStringLiteral("2026/20260230.KRF")), out.absolutePath()),
                QStringLiteral("the states")))
      code = 1;
    app.ExitInstance();
  }
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return code;
}

}  // namespace spectrel
