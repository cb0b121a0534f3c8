// Completion of a measurement cycle on the document's thread: the day is read back from its file,
// the new point is added, shown and stored, and every failure is logged.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "measure/day_load.h"
#include "files/station_names.h"
#include "measure/settings_options.h"
#include "measure/spectrel_doc.h"
#include "measure/station_status.h"
#include "measure/status_texts.h"
#include "spectrum/resample.h"

namespace spectrel {

namespace {
// Space kept for held points on the data folder's disk: about 600 points of two sensors.
constexpr std::uint64_t HeldSpoolReserve = 16u << 20;
}  // namespace

void CSpectrelDoc::CompleteCycle(const CycleResult& result) {
  CyclePending = false;
  const CKrfData header = NewDayHeader(result);
  std::vector<UnitChange> changes;
  const DayRead read = Store.BeginCycle(DayFilePath(SettingsRef.KrfFolder, result.Time), header, changes);
  const std::string& dayPath = read.Path;
  NoteRead(read);
  NoteUnitChanges(changes, result.Time);
  if (read.NewFile()) SettingsRef.TimeZoneText = header.TimeZone;
  const int index = Store.Add(BuildPoint(result));
  try {
    BuildReport(Store.Day(), index, ReportOptionsFrom(SettingsRef), Display, Texts, Lang);
  } catch (const std::invalid_argument&) {
    Texts = ReportTexts{};
  }
  const StoreOutcome stored = Store.Save();
  NoteSave(stored.Cycle);
  NoteHeldDays(stored.HeldDays);
  const CRad& point = Store.Day().Rad(index);
  Summary = {point.MeasureTime, {}, Texts.Integral, stored.Cycle.Stored ? dayPath : std::string(), {}};
  for (int i = 0; i < ModelCount; ++i)
    if (point.Block(i) != nullptr) Summary.Sensors += (Summary.Sensors.empty() ? "" : " ") + ModelDisplayName(i);
  if (SettingsRef.SaveCsv) SaveCsvFile(point);
  ReportCycleToStation(result, stored.Cycle);
  Host.CycleCompleted(Summary);
}

// A new day file's header: the site strings, the time-zone text of the cycle, and the
// identification of every sensor in the run.
CKrfData CSpectrelDoc::NewDayHeader(const CycleResult& result) const {
  CKrfData header;
  header.SiteName = SettingsRef.SiteName;
  header.SiteLon = SettingsRef.SiteLon;
  header.SiteLat = SettingsRef.SiteLat;
  header.SiteAlt = SettingsRef.SiteAlt;
  header.TimeZone = TimeZoneText(result.Time);
  for (int i = 0; i < ModelCount; ++i)
    if (InUse(i) && result.Identified[static_cast<size_t>(i)]) header.SetInfo(i, *result.Identified[static_cast<size_t>(i)]);
  return header;
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

void CSpectrelDoc::NoteRead(const DayRead& read) {
  if (read.What == DayRead::Found::CutShort) {
    WriteLog("ERROR KRF TAIL");
    Host.ReportError("day file cut short after byte " + std::to_string(read.WholeBytes) + ": " + read.Path +
                     " is kept aside and written again from " + std::to_string(read.PointsRead) + " points");
  } else if (read.What == DayRead::Found::Unreadable) {
    WriteLog("ERROR KRF LOAD");
  }
}

void CSpectrelDoc::NoteUnitChanges(const std::vector<UnitChange>& changes, std::int64_t time) {
  for (const UnitChange& change : changes) {
    UnitChanges[static_cast<size_t>(change.Model)] = UnitChangeStatus{time, change.OldSerial, change.NewSerial};
    const std::string tag(Models[static_cast<size_t>(change.Model)].Tag);
    WriteLog(tag + " UNIT CHANGED " + change.OldSerial + " " + change.NewSerial);
    Host.ReportError(ModelDisplayName(change.Model) + " is another unit (serial number " + change.OldSerial + ", now " +
                     change.NewSerial + "): the day goes on in " + change.Part);
  }
}

void CSpectrelDoc::NoteSave(const DaySave& save) {
  if (save.Stored) return;
  WriteLog("ERROR KRF SAVE");
  if (!save.Spooled) WriteLog("ERROR KRF SPOOL");
  if (save.Dropped > 0) WriteLog("ERROR KRF LOST " + std::to_string(save.Dropped));
  Host.ReportError("not stored: " + save.Reason + " (" + std::to_string(save.Held) + " points held for the next save" +
                   (save.Spooled ? ")" : ", this one in memory only: the held points file cannot take it)"));
}

void CSpectrelDoc::NoteHeldDays(const std::vector<StoreOutcome::HeldDay>& days) {
  for (const StoreOutcome::HeldDay& day : days) {
    NoteRead(day.Read);
    NoteSave(day.Save);
  }
}

// Points an earlier run held in the spool (it stopped before their day files could take them)
// go into their day files at start.
void CSpectrelDoc::RecoverHeldPoints() {
  const int found = Store.OpenSpool(HeldSpoolPath(SettingsRef.KrfFolder), HeldSpoolReserve);
  if (found <= 0) return;
  WriteLog("KRF RESTORED " + std::to_string(found));
  NoteHeldDays(Store.StoreHeld());
}

// A day the machine cannot carry is said when interval measurement starts, not found out at its end.
void CSpectrelDoc::WarnOfDayLoad(std::int64_t now) {
  const double memory = static_cast<double>(::sysconf(_SC_PHYS_PAGES)) * static_cast<double>(::sysconf(_SC_PAGESIZE));
  const auto warning = DayLoadWarning(DayLoadOf(SettingsRef, Used, now), memory, FreeSpace(SettingsRef.KrfFolder));
  if (!warning) return;
  WriteLog("ERROR DAY TOO LARGE");
  Host.ReportError(*warning);
}

// Held points in the spool wait for the next start; those held only in memory are lost.
void CSpectrelDoc::SayHeldAtEnd() {
  const std::size_t lost = Store.HeldInMemory();
  if (const std::size_t spooled = Store.HeldPoints() - lost; spooled > 0) {
    WriteLog("ERROR KRF HELD " + std::to_string(spooled));
    Host.ReportError("not stored: " + std::to_string(spooled) + " points wait in " +
                     HeldSpoolPath(SettingsRef.KrfFolder) + " for the next start to write them to their day file");
  }
  if (lost > 0) {
    WriteLog("ERROR KRF LOST " + std::to_string(lost));
    Host.ReportError("not stored: " + std::to_string(lost) +
                     " points could not be written to their day file and are lost");
  }
}

void CSpectrelDoc::SaveCsvFile(const CRad& rad) {
  const std::string csvPath = HourCsvPath(SettingsRef.CsvFolder, rad.MeasureTime);
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
