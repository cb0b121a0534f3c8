#include "ui/archive_day.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

#include "files/day_load.h"
#include "files/day_part_name.h"
#include "files/station_names.h"
#include "ui/day_overview_image.h"

namespace spectrel {

StationZone StationZoneOf(const std::string& siteZone) {
  // This program's zone is the system's, and also holds where it has no IANA name ($TZ a rule).
  const std::optional<StationZone> named = StationZone::Named(siteZone);
  return named ? *named : StationZone::Process();
}

ArchiveDay ReadArchiveDay(const std::string& path, int integFrom, int integTo, const StationZone& zone,
                          const std::function<bool()>& cancelled) {
  ArchiveDay day;
  day.Path = path;
  LoadedDay loaded = LoadDay(path, zone);
  if (!loaded.Loaded()) day.Problem = loaded.ErrorText();   // the points before a bad time stay
  if (const int part = DayPartOf(path); part >= 1) {
    const std::string next = DayPartPath(path, part + 1);
    if (QFileInfo::exists(QString::fromStdString(next))) day.NextPart = next;
  }
  day.Set = std::make_shared<CKrfData>(std::move(loaded.Set));
  if (cancelled && cancelled()) return day;
  day.Overview = BuildOverview(*day.Set, integFrom, integTo, zone, &loaded.Times);
  // The points keep the true UTC the overview places them at: the graph and the live day read
  // the same instants (the repeated hour of a change back in its order).
  for (int j = 0; j < day.Set->RadCount() && j < day.Overview.Count(); ++j)
    day.Set->Rad(j).MeasureTime = day.Overview.Data()[static_cast<size_t>(j)].Time;
  day.Spectrogram = SpectrogramImage(day.Overview);
  return day;
}

namespace {

// The day of a file named "<YYYYMMDD>.<suffix>"; invalid for any other name.
QDate DayOfName(const QFileInfo& file) {
  const auto name = ParseStationFileName(file.fileName().toStdString());
  return name && name->Kind == StationFile::DayFile ? QDate(name->Date.Year, name->Date.Month, name->Date.Day) : QDate();
}

// The day file in folder nearest to day in the direction, not day itself; empty when none.
QString NearestInFolder(const QDir& folder, const QDate& day, int direction) {
  QString best;
  QDate bestDay;
  for (const QFileInfo& file : folder.entryInfoList(QDir::Files)) {
    const QDate date = DayOfName(file);
    if (!date.isValid() || (direction < 0 ? date >= day : date <= day)) continue;
    if (!bestDay.isValid() || (direction < 0 ? date > bestDay : date < bestDay)) {
      bestDay = date;
      best = file.filePath();
    }
  }
  return best;
}

}  // namespace

std::string NearestDayFile(const std::string& path, int direction) {
  const QFileInfo file(QString::fromStdString(path));
  const QDate day = DayOfName(file);
  if (!day.isValid()) return {};
  const QDir own = file.dir();
  if (QFileInfo(own.path()).fileName() != QString::number(day.year()))
    return QDir::cleanPath(NearestInFolder(own, day, direction)).toStdString();
  // Year folders beside the file's own, nearest first in the direction.
  QDir root(QFileInfo(own.path()).path());
  QStringList years = root.entryList({QStringLiteral("[0-9][0-9][0-9][0-9]")}, QDir::Dirs, QDir::Name);
  if (direction < 0) std::reverse(years.begin(), years.end());
  for (const QString& year : years) {
    if (direction < 0 ? year.toInt() > day.year() : year.toInt() < day.year()) continue;
    const QString found = NearestInFolder(QDir(root.filePath(year)), day, direction);
    if (!found.isEmpty()) return QDir::cleanPath(found).toStdString();
  }
  return {};
}

}  // namespace spectrel
