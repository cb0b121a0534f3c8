// Completion of a measurement cycle on the document's thread: the day is read back from its file,
// the new point is added, shown and stored, and every failure is logged.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "files/day_part_name.h"
#include "measure/day_load.h"
#include "files/station_names.h"
#include "measure/settings_options.h"
#include "measure/spectrel_doc.h"
#include "measure/station_status.h"
#include "measure/status_texts.h"
#include "measure/store_notes.h"
#include "spectrum/resample.h"

namespace spectrel {

namespace {
// Space kept for held points on the data folder's disk: about 600 points of two sensors.
constexpr std::uint64_t HeldSpoolReserve = 16u << 20;

// A new day file's header: the site strings, the time-zone text of the cycle, and the
// identification of every sensor in the run.
CKrfData NewDayHeader(const AppSettings& settings, const ModelSet& used, const CycleResult& result) {
  CKrfData header;
  header.SiteName = settings.SiteName;
  header.SiteLon = settings.SiteLon;
  header.SiteLat = settings.SiteLat;
  header.SiteAlt = settings.SiteAlt;
  header.TimeZone = TimeZoneText(result.Time);
  for (int i = 0; i < ModelCount; ++i)
    if (used[static_cast<size_t>(i)] && result.Identified[static_cast<size_t>(i)])
      header.SetInfo(i, *result.Identified[static_cast<size_t>(i)]);
  return header;
}

}  // namespace

void CSpectrelDoc::CompleteCycle(const CycleResult& result) {
  CyclePending = false;
  const StoreNotes notes{Log, Host};
  const CKrfData header = NewDayHeader(SettingsRef, Used, result);
  std::vector<UnitChange> changes;
  const DayRead read = Store.BeginCycle(DayFilePath(SettingsRef.KrfFolder, result.Time), header, changes);
  const std::string& dayPath = read.Path;
  notes.Read(read);
  for (const UnitChange& change : changes) {
    UnitChanges[static_cast<size_t>(change.Model)] = UnitChangeStatus{result.Time, change.OldSerial, change.NewSerial};
    notes.UnitChanged(change);
  }
  if (read.NewFile()) SettingsRef.TimeZoneText = header.TimeZone;
  const int index = Store.Add(BuildPoint(result));
  try {
    BuildReport(Store.Day(), index, ReportOptionsFrom(SettingsRef), Display, Texts, Lang);
  } catch (const std::invalid_argument&) {
    Texts = ReportTexts{};
  }
  const StoreOutcome stored = Store.Save();
  notes.Save(stored.Cycle);
  notes.HeldDays(stored.HeldDays);
  const CRad& point = *Store.Day().LastRad();   // the cycle's point comes last, after held ones
  Summary = {point.MeasureTime, {}, Texts.Integral, stored.Cycle.Stored ? dayPath : std::string(), {}};
  for (int i = 0; i < ModelCount; ++i)
    if (point.Block(i) != nullptr) Summary.Sensors += (Summary.Sensors.empty() ? "" : " ") + ModelDisplayName(i);
  if (SettingsRef.SaveCsv) SaveCsvFile(point, DayPartOf(dayPath));
  ReportCycleToStation(result, stored.Cycle);
  Host.CycleCompleted(Summary);
}

CRad CSpectrelDoc::BuildPoint(const CycleResult& result) {
  CRad rad;
  rad.MeasureTime = result.Time;
  Texts.Memo = SettingsRef.UserMemo;
  rad.Memo = Texts.Memo;
  for (int i = 0; i < ModelCount; ++i) {
    if (!InUse(i)) continue;
    if (const auto& measured = result.Measured[static_cast<size_t>(i)])
      rad.SetBlock(i, *measured);
    else
      WriteLog("ERROR " + std::string(Models[static_cast<size_t>(i)].Tag) + " MEAS");
  }
  return rad;
}

// Points an earlier run held in the spool (it stopped before their day files could take them)
// go into their day files at start.
void CSpectrelDoc::RecoverHeldPoints() {
  const std::string spool = HeldSpoolPath(SettingsRef.KrfFolder);
  const int found = Store.OpenSpool(spool, HeldSpoolReserve);
  // Tried again whenever a point must be held; until then a point that cannot be stored is held
  // in memory only, and lost should the program end first.
  if (found < 0) Host.ReportError("held points file " + spool + " cannot be opened: " + std::strerror(errno));
  if (found <= 0) return;
  WriteLog("KRF RESTORED " + std::to_string(found));
  StoreNotes{Log, Host}.HeldDays(Store.StoreHeld());
}

void CSpectrelDoc::SaveCsvFile(const CRad& rad, int part) {
  const std::string csvPath = HourCsvPath(SettingsRef.CsvFolder, rad.MeasureTime, part);
  std::error_code ec;
  std::filesystem::create_directories(FolderOf(csvPath), ec);   // a failure shows as the file's
  BuildMergedWavelengths(Store.Day(), Merged);
  if (!Csv.WriteCsvFile(csvPath, Store.Day(), CsvOptionsFrom(SettingsRef), Merged)) {
    const std::string reason = std::strerror(errno != 0 ? errno : EIO);
    WriteLog("ERROR CSV SAVE");
    Host.ReportError("CSV file not written: " + csvPath + ": " + reason);
  } else {
    Summary.CsvFile = csvPath;
  }
}

}  // namespace spectrel
