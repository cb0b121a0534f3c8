#include "look/render_states.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QPrinter>
#include <QThread>
#include <QTranslator>

#include <cstdio>

#include "app/main_frame.h"
#include "app/overview_pane.h"
#include "app/translations.h"
#include "base/station_zone.h"
#include "files/krf_file.h"
#include "measure/spectrel_doc.h"
#include "ui/day_overview.h"
#include "ui/picture_output.h"
#include "ui/spectrel_view.h"

namespace spectrel {

namespace {

void Settle(int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

bool Opened(OverviewPane& pane, const QString& path) {
  pane.OpenDayFile(path);
  QDeadlineTimer deadline(30000);
  while (pane.Reading() && !deadline.hasExpired()) Settle(20);
  return !pane.Reading();
}

bool Wrote(bool ok, const QString& file) {
  std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "failed:", qPrintable(file));
  return ok;
}

// The autumn change of clocks at a station in Europe/Berlin: 25 hours, a point every 10 minutes,
// the measured day's points over again. Written as that station's clock read, whatever zone
// this program runs in.
QString WriteAutumnDay(const QString& dayFile) {
  CKrfData sample;
  const std::optional<StationZone> berlin = StationZone::Named("Europe/Berlin");
  if (LoadKrf(sample, dayFile.toStdString()).Points <= 0 || !berlin) return {};
  CKrfData day = sample.Header();
  day.TimeZone = "+2";
  const std::int64_t midnight = berlin->Instants(ClockValue(2026, 10, 25, 0, 0, 0)).Earlier;
  for (std::int64_t t = midnight; t < midnight + 25 * 3600; t += 600) {
    CRad point = sample.Rad(static_cast<int>((t - midnight) / 600) % sample.RadCount());
    point.MeasureTime = StationZone::Process().Instants(berlin->ClockAt(t)).Earlier;
    for (int model = 0; model < ModelCount; ++model)
      if (SensorMeasurement* block = point.Block(model)) block->MeasureTime = point.MeasureTime;
    day.AppendRad(std::move(point));
  }
  const QString path = QFileInfo(dayFile).dir().filePath(QStringLiteral("20261025.KRF"));
  return SaveKrf(day, path.toStdString()) ? path : QString();
}

// The autumn day with the station's zone, on the local axis and on the UTC axis.
bool RenderAutumn(OverviewPane& pane, AppSettings& settings, const QString& autumnFile, const QDir& out, const QString& lang) {
  const std::string zone = std::exchange(settings.SiteZone, "Europe/Berlin");
  bool ok = !autumnFile.isEmpty() && Opened(pane, autumnFile);
  for (const bool utc : {false, true}) {
    pane.UtcAxisAction()->setChecked(utc);
    const QString file = out.filePath(QStringLiteral("overview_autumn%1_%2.png").arg(utc ? "_utc" : "", lang));
    ok = Wrote(ok && SavePicture(pane.Picture(), file, QSize(1200, 900)), file) && ok;
  }
  pane.UtcAxisAction()->setChecked(false);
  settings.SiteZone = zone;
  return ok;
}

bool RenderIn(CMainFrame& frame, const QString& dayFile, const QString& missingFile, const QDir& out, const QString& lang) {
  OverviewPane& pane = frame.Overview();
  CSpectrelView& view = frame.View();
  bool ok = true;
  pane.BackToLive();
  pane.StepPoint(-1);   // the running day's point before the latest
  Settle(100);
  ok = Wrote(frame.grab().save(out.filePath("pinned_" + lang + ".png")), out.filePath("pinned_" + lang + ".png")) && ok;
  pane.BackToLive();
  view.ZoomX(3.0);
  view.ZoomY(2.0);
  Settle(50);
  ok = Wrote(view.grab().save(out.filePath("zoomed_" + lang + ".png")), out.filePath("zoomed_" + lang + ".png")) && ok;
  view.ResetZoom();
  // The archive day's first point, just after dawn, scaled to its own largest value.
  AppSettings& settings = view.Document().Settings();
  const bool autoScale = std::exchange(settings.Graph.AutoScale, true);
  ok = Opened(pane, dayFile) && ok;
  for (int i = 0; i < pane.ShownDay().RadCount(); ++i) pane.StepPoint(-1);
  Settle(50);
  ok = Wrote(view.grab().save(out.filePath("night_" + lang + ".png")), out.filePath("night_" + lang + ".png")) && ok;
  settings.Graph.AutoScale = autoScale;
  QPrinter& printer = pane.Printer();
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(out.filePath("overview_page_" + lang + ".pdf"));
  ok = Wrote(PrintPicture(printer, pane.Picture()), printer.outputFileName()) && ok;
  printer.setOutputFormat(QPrinter::NativeFormat);
  ok = RenderAutumn(pane, settings, WriteAutumnDay(dayFile), out, lang) && ok;
  ok = Opened(pane, missingFile) && ok;
  Settle(50);
  ok = Wrote(pane.Overview().grab().save(out.filePath("missing_day_" + lang + ".png")), out.filePath("missing_day_" + lang + ".png")) && ok;
  return ok;
}

}  // namespace

bool RenderStates(CMainFrame& frame, const QString& dayFile, const QString& missingFile, const QString& outFolder) {
  const QDir out(outFolder);
  bool ok = RenderIn(frame, dayFile, missingFile, out, QStringLiteral("en"));
  {
    const auto japanese = InstallTranslations(QLocale(QLocale::Japanese));
    ok = !japanese.empty() && RenderIn(frame, dayFile, missingFile, out, QStringLiteral("ja")) && ok;
  }
  return ok;
}

}  // namespace spectrel
