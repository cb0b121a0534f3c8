// The station as the web server sees it: its folders and settings, and the day files read once
// per change. Shared by every request thread.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "web/station_data.h"

namespace spectrel::web {

class StationSource {
 public:
  StationSource(const AppSettings& settings, StationFolders folders);

  const AppSettings& Settings() const { return Config; }
  const StationFolders& Folders() const { return Where; }

  // The day of date ("YYYYMMDD"), read again only when its day file changed (size or time): only
  // the points appended since when the file grew in place, the whole file otherwise. Null with a
  // reason when there is none or it cannot be read.
  std::shared_ptr<const DayView> Day(const std::string& date, std::string& error);
  // The newest day that has a day file; "" when there is none.
  std::string LatestDayDate() const;

 private:
  struct Entry {
    std::string Date;
    std::int64_t Bytes = 0;                  // size of the day file when read
    std::int64_t ModifiedNs = 0;             // its modification time, ns since 1970
    std::uint64_t Inode = 0;                 // the file itself: a whole write renames a new one in
    std::shared_ptr<const DayView> View;
  };
  static constexpr std::size_t KeptDays = 3;   // a day view of 1440 points holds about 30 MB

  AppSettings Config;
  StationFolders Where;
  std::mutex Guard;                          // over Days; a day is read under it, once
  std::list<Entry> Days;                     // most recently used first
};

}  // namespace spectrel::web
