// Completion of a measurement cycle on the user-interface thread: the day's set is read back
// from its file, the new point is added, shown and stored, and every failure is logged.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "files/krf_file.h"
#include "measure/day_paths.h"
#include "measure/settings_options.h"
#include "measure/spectrel_doc.h"
#include "spectrum/resample.h"

namespace spectrel {

namespace {

// Creates the folders up to the file's own; a failure shows up later as the file's save error.
void MakeFolderOf(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (parent.empty()) return;
  std::error_code ec;
  std::filesystem::create_directories(parent, ec);
}

}  // namespace

int CSpectrelDoc::CompleteCycle() {
  CyclePending = false;
  DayDataSet.Clear();
  const std::string dayPath = DayFilePath(SettingsRef.KrfFolder, CycleTimeValue);
  DayStart day = BeginDay(dayPath, CycleTimeValue);
  if (AddNewInfoRecords()) day.WholeWrite = true;
  // Points of this day that earlier cycles could not store go in first, in time order.
  if (MergeUnsaved(dayPath)) day.WholeWrite = true;
  const int index = DayDataSet.AppendRad(BuildPoint());
  ShowPoint(index);
  StoreDay(dayPath, day, DayDataSet.Rad(index));
  if (SettingsRef.SaveCsv == 1) SaveCsvFile(DayDataSet.Rad(index));
  ReportCycleToStation(index);
  return 1;
}

CSpectrelDoc::DayStart CSpectrelDoc::BeginDay(const std::string& dayPath, std::int64_t stamp) {
  DayStart day;
  bool beginNewFile = false;
  std::error_code ec;
  if (!std::filesystem::exists(dayPath, ec)) {
    MakeFolderOf(dayPath);
    beginNewFile = true;
  } else if (const DayLoad load = LoadDayFile(dayPath); load != DayLoad::Whole) {
    day.FileSafe = KeepUnreadableDayFile(dayPath);
    day.Error = day.FileSafe ? 0 : errno;
    day.WholeWrite = true;
    beginNewFile = load == DayLoad::Unreadable;
  }
  if (beginNewFile) {
    SettingsRef.TimeZoneText = TimeZoneText(stamp);
    DayDataSet.SiteName = SettingsRef.SiteName;
    DayDataSet.SiteLon = SettingsRef.SiteLon;
    DayDataSet.SiteLat = SettingsRef.SiteLat;
    DayDataSet.SiteAlt = SettingsRef.SiteAlt;
    DayDataSet.TimeZone = SettingsRef.TimeZoneText;
    day.WholeWrite = true;
  }
  return day;
}

bool CSpectrelDoc::AddNewInfoRecords() {
  // A sensor that became ready since the file was begun adds its information record.
  bool added = false;
  for (int i = 0; i < ModelCount; ++i) {
    CSensorDriver& driver = Driver(i);
    if (SettingsRef.UseSensor[static_cast<size_t>(i)] == 1 && driver.InfoStatus.load() == InfoReady &&
        DayDataSet.Info(i) == nullptr) {
      DayDataSet.SetInfo(i, driver.Info);
      added = true;
    }
  }
  return added;
}

CRad CSpectrelDoc::BuildPoint() {
  CRad rad;
  rad.MeasureTime = CycleTimeValue;
  Texts.Memo = SettingsRef.UserMemo;
  rad.Memo = Texts.Memo;
  for (int i = 0; i < ModelCount; ++i) {
    if (SettingsRef.UseSensor[static_cast<size_t>(i)] != 1) continue;
    CSensorDriver& driver = Driver(i);
    // A spectrum left over from an earlier run is not this cycle's measurement.
    if (driver.MeasureOk == 1 && !StaleMeasurement[static_cast<size_t>(i)].load()) {
      rad.SetBlock(i, driver.Measurement);
    } else {
      WriteLog("ERROR " + std::string(Models[static_cast<size_t>(i)].Tag) + " MEAS");
    }
  }
  return rad;
}

void CSpectrelDoc::ShowPoint(int index) {
  try {
    BuildReport(DayDataSet, index, ReportOptionsFrom(SettingsRef), Display, Texts, Lang);
  } catch (const std::invalid_argument&) {
    Texts = ReportTexts{};
  }
  Host.UpdateAllViews();
}

void CSpectrelDoc::StoreDay(const std::string& dayPath, DayStart day, const CRad& rad) {
  LastDayFilePath.clear();
  LastCsvFilePath.clear();
  int saved = 0;
  int error = day.Error;
  if (day.FileSafe) {
    saved = day.WholeWrite ? SaveKrf(DayDataSet, dayPath) : AppendKrf(DayDataSet, dayPath, rad);
    error = errno;
  }
  if (saved == 1) {
    LastDayFilePath = dayPath;
    NotStoredReason.clear();
    ForgetUnsaved(dayPath);
    StoreHeldDays(dayPath);
    return;
  }
  // Held in memory for the next successful save; should the program end first, the held points
  // are lost, and the document says how many at its end.
  Unsaved.push_back({dayPath, rad});
  ReportNotStored(dayPath, day.FileSafe, error);
}

void CSpectrelDoc::ReportNotStored(const std::string& dayPath, bool fileSafe, int error) {
  WriteLog("ERROR KRF SAVE");
  const std::string reason = std::strerror(error != 0 ? error : EIO);
  NotStoredReason = dayPath + (fileSafe ? ": " : ": cannot keep the old file aside: ") + reason;
  Host.ReportError("not stored: " + NotStoredReason + " (" + std::to_string(Unsaved.size()) +
                   " points held for the next save)");
}

void CSpectrelDoc::SaveCsvFile(const CRad& rad) {
  const std::string csvPath = HourCsvPath(SettingsRef.CsvFolder, rad.MeasureTime);
  MakeFolderOf(csvPath);
  BuildMergedWavelengths(DayDataSet, Merged);
  if (Csv.WriteCsvFile(csvPath, DayDataSet, CsvOptionsFrom(SettingsRef), Merged) == 0) {
    const std::string reason = std::strerror(errno != 0 ? errno : EIO);
    WriteLog("ERROR CSV SAVE");
    Host.ReportError("CSV file not written: " + csvPath + ": " + reason);
  } else {
    LastCsvFilePath = csvPath;
  }
}

}  // namespace spectrel
