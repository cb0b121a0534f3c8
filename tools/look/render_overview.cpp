#include "look/render_overview.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QSize>
#include <QLocale>
#include <QThread>
#include <QTranslator>

#include <cmath>
#include <cstdio>

#include "app/overview_pane.h"
#include "app/translations.h"
#include "base/local_day.h"
#include "files/krf_file.h"

namespace spectrel {

namespace {

// The point with its signal above dark scaled by the sun's height, 0 .. 1.
CRad Scaled(const CRad& rad, double sun, std::int64_t time) {
  CRad point = rad;
  point.MeasureTime = time;
  for (int model = 0; model < ModelCount; ++model) {
    SensorMeasurement* block = point.Block(model);
    if (block == nullptr) continue;
    block->MeasureTime = time;
    for (size_t k = 0; k < block->Light.size() && k < block->Dark.size(); ++k)
      block->Light[k] = static_cast<float>(block->Dark[k] + (block->Light[k] - block->Dark[k]) * sun);
  }
  return point;
}

}  // namespace

CKrfData MakeLookDay(const CKrfData& measured) {
  CKrfData day = measured.Header();
  const CRad* last = measured.LastRad();
  if (last == nullptr) return day;
  const std::int64_t midnight = LocalMidnight(last->MeasureTime);
  // The sun's height as a fraction of the day's greatest, and the peak at noon at 1.4 x the point.
  const double peak = 1.4;
  for (int minute = 5 * 60; minute <= 19 * 60; minute += 10) {
    if (minute >= 12 * 60 + 20 && minute < 13 * 60 + 20) continue;   // an hour without measurement
    const double sun = peak * std::pow(std::sin(3.14159265 * (minute - 300) / 840.0), 1.5) + 2e-6;
    CRad point = Scaled(*last, sun, midnight + minute * 60);
    if (minute == 15 * 60) {   // a sensor that failed once
      for (int model = ModelCount - 1; model >= 0; --model)
        if (point.Block(model) != nullptr) {
          point.RemoveBlock(model);
          break;
        }
    }
    day.AppendRad(std::move(point));
  }
  return day;
}

bool RenderOverviews(OverviewPane& pane, const CKrfData& day, const QString& folder, const QString& outFolder) {
  const QString path = QDir(folder).filePath(QStringLiteral("look-day.krf"));
  if (!SaveKrf(day, path.toStdString())) return false;
  bool shown = false;
  const auto connection = QObject::connect(&pane, &OverviewPane::DayShown, [&shown] { shown = true; });
  pane.OpenDayFile(path);
  QDeadlineTimer deadline(30000);
  while (!shown && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  QObject::disconnect(connection);
  if (!shown) return false;
  const QDir out(outFolder);
  const QSize size(1200, 900);
  bool ok = SavePicture(pane.Picture(), out.filePath(QStringLiteral("overview_en.png")), size);
  ok = SavePicture(pane.Picture(), out.filePath(QStringLiteral("overview_en.svg")), size) && ok;
  ok = SavePicture(pane.Picture(), out.filePath(QStringLiteral("overview_640_en.png")), QSize(640, 480)) && ok;
  {
    const auto japanese = InstallTranslations(QLocale(QLocale::Japanese));
    ok = !japanese.empty() && SavePicture(pane.Picture(), out.filePath(QStringLiteral("overview_ja.png")), size) && ok;
  }
  for (const char* name : {"overview_en.png", "overview_en.svg", "overview_640_en.png", "overview_ja.png"})
    std::printf("%s %s\n", ok ? "wrote" : "failed:", qPrintable(out.filePath(QLatin1String(name))));
  return ok;
}

}  // namespace spectrel
