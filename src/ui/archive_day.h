// A day file of the archive read for looking at: never written, read whole or as far as it can be,
// with the reader's own words when it stops early. Runs on any thread.
#pragma once

#include <QImage>

#include <functional>
#include <memory>
#include <string>

#include "spectrum/records.h"
#include "ui/day_overview_data.h"

namespace spectrel {

struct ArchiveDay {
  std::string Path;                  // the file asked for
  std::shared_ptr<CKrfData> Set;     // what could be read, never null
  DayOverviewData Overview;          // its overview
  QImage Spectrogram;                // the overview's SpectrogramImage(), made with it
  std::string Problem;               // why the reading stopped, in the day loader's words; empty when whole
  std::string NextPart;              // the day's next part beside it (another sensor unit took over); empty when none
};

// The station's zone of a profile's "[SITE] ZONE" text: that zone, or this program's (the
// system's) when the text is empty or names no zone of this system (which the profile check
// reports).
StationZone StationZoneOf(const std::string& siteZone);

// The file's clock readings become true UTC in the station's zone. cancelled is asked once the
// file is read: when it answers true the overview is not built.
ArchiveDay ReadArchiveDay(const std::string& path, int integFrom, int integTo, const StationZone& zone,
                          const std::function<bool()>& cancelled = {});

// The nearest existing day file before (direction -1) or after (+1) the day of path, among the
// files named and filed as the measurement files its days ("<year>/<YYYYMMDD>.KRF", every year
// folder beside the path's own), or in path's own folder when it is not in a year folder. path
// need not exist; empty when there is no such file or path is not named after a day.
std::string NearestDayFile(const std::string& path, int direction);

}  // namespace spectrel
