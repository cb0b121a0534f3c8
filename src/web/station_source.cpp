#include "web/station_source.h"

#include <sys/stat.h>

#include <ctime>
#include <utility>

#include "files/day_part_name.h"

namespace spectrel::web {

StationSource::StationSource(const AppSettings& settings, StationFolders folders)
    : Config(settings), Where(std::move(folders)) {}

std::shared_ptr<const DayView> StationSource::Day(const std::string& date, std::string& error) {
  if (!IsDayDate(date)) {
    error = "not a date";
    return nullptr;
  }
  const auto name = ParseStationFileName(DayFileName(date));
  const std::string first = Where.Data + name->RelativePath;
  struct stat st{};
  if (::stat(first.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "no day file for " + date;
    return nullptr;
  }
  // The station appends to the day's latest part: that file tells whether the view is still current.
  const std::string path = DayPartPath(first, LatestDayPart(first));
  if (path != first && (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))) {
    error = "no day file for " + date;
    return nullptr;
  }
  const std::int64_t modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  std::lock_guard hold(Guard);
  std::shared_ptr<const DayView> view;
  for (auto it = Days.begin(); it != Days.end(); ++it) {
    if (it->Date != date) continue;
    if (it->Bytes == st.st_size && it->ModifiedNs == modified && it->Inode == st.st_ino) {
      Days.splice(Days.begin(), Days, it);
      return it->View;
    }
    if (it->Inode == st.st_ino && it->Bytes < st.st_size) view = ExtendDayView(*it->View, path);
    Days.erase(it);
    break;
  }
  if (!view) view = MakeDayView(date, first, Config, error);
  if (!view) return nullptr;
  Days.push_front({date, static_cast<std::int64_t>(st.st_size), modified, static_cast<std::uint64_t>(st.st_ino), view});
  if (Days.size() > KeptDays) Days.pop_back();
  return view;
}

std::string StationSource::LatestDayDate() const {
  // Today's file is the usual answer: asked for directly, without listing the folders.
  const std::string today = LocalDate(static_cast<std::int64_t>(std::time(nullptr)));
  struct stat st{};
  if (IsDayDate(today) && ::stat((Where.Data + ParseStationFileName(DayFileName(today))->RelativePath).c_str(), &st) == 0)
    return today;
  for (const DayListing& day : ListDays(Where))
    if (day.HasDayFile) return day.Date;
  return {};
}

}  // namespace spectrel::web
