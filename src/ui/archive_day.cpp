#include "ui/archive_day.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include "files/krf_file.h"
#include "files/krf_load_error.h"
#include "ui/day_overview_image.h"

namespace spectrel {

ArchiveDay ReadArchiveDay(const std::string& path, int integFrom, int integTo,
                          const std::function<bool()>& cancelled) {
  ArchiveDay day;
  day.Path = path;
  day.Set = std::make_shared<CKrfData>();
  try {
    const int result = LoadKrf(*day.Set, path);
    if (result < 0) day.Problem = KrfLoadErrorText(result);
  } catch (const KrfTimeError& error) {
    day.Problem = KrfLoadErrorText(error);   // the points before the bad time stay
  }
  if (cancelled && cancelled()) return day;
  day.Overview = BuildOverview(*day.Set, integFrom, integTo);
  day.Spectrogram = SpectrogramImage(day.Overview);
  return day;
}

std::string NeighbourDayFile(const std::string& path, int days) {
  const QFileInfo file(QString::fromStdString(path));
  const QDate date = QDate::fromString(file.completeBaseName(), QStringLiteral("yyyyMMdd"));
  if (file.completeBaseName().size() != 8 || !date.isValid()) return {};
  const QDate other = date.addDays(days);
  QString folder = file.path();
  // Days are filed in a folder per year.
  if (QFileInfo(folder).fileName() == QString::number(date.year()))
    folder = QFileInfo(folder).path() + '/' + QString::number(other.year());
  const QString name = other.toString(QStringLiteral("yyyyMMdd")) + '.' + file.suffix();
  return QDir::cleanPath(folder + '/' + name).toStdString();
}

}  // namespace spectrel
