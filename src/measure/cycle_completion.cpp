// Completion of a measurement cycle on the user-interface thread: the day's set is read back
// from its file, the new point is added, shown and stored, and every failure is logged.
#include <unistd.h>

#include <cerrno>
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

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

}  // namespace

bool CSpectrelDoc::KeepUnreadableDayFile(const std::string& path) {
  // A hard link never replaces an existing name, so no earlier copy can be overwritten; the day
  // file's own name is then freed for the new file.
  for (int n = 1; n < 10000; ++n) {
    const std::string aside = path + ".unreadable-" + std::to_string(n);
    if (::link(path.c_str(), aside.c_str()) == 0) return ::unlink(path.c_str()) == 0;
    if (errno == EEXIST) continue;
    // Folders without hard links: rename, after checking that the name is free.
    if (Exists(aside)) continue;
    return ::rename(path.c_str(), aside.c_str()) == 0;
  }
  return false;
}

// Reads the day file into the set. Returns true when the file must be written whole.
bool CSpectrelDoc::LoadDayFile(const std::string& dayPath) {
  bool unreadable = false;
  try {
    if (LoadKrf(DayDataSet, dayPath) < 0) unreadable = true;
  } catch (const KrfTimeError&) {
    unreadable = true;
  }
  if (!unreadable) return false;
  WriteLog("ERROR KRF LOAD");
  // What the file holds stays on disk under another name; the day goes on in a new file, so a
  // whole write cannot drop the points that could not be read.
  DayDataSet.Clear();
  return true;
}

int CSpectrelDoc::CompleteCycle() {
  CyclePending = false;
  DayDataSet.Clear();
  const std::string dayPath = DayFilePath(SettingsRef.KrfFolder, CycleTimeValue);
  DayStart day = BeginDay(dayPath);
  if (AddNewInfoRecords()) day.WholeWrite = true;
  const int index = DayDataSet.AppendRad(BuildPoint());
  ShowPoint(index);
  StoreDay(dayPath, day, DayDataSet.Rad(index));
  if (SettingsRef.SaveCsv == 1) SaveCsvFile(DayDataSet.Rad(index));
  ReportCycleToStation(index);
  return 1;
}

CSpectrelDoc::DayStart CSpectrelDoc::BeginDay(const std::string& dayPath) {
  DayStart day;
  bool beginNewFile = false;
  if (!Exists(dayPath)) {
    MakeFolderOf(dayPath);
    beginNewFile = true;
  } else if (LoadDayFile(dayPath)) {
    day.FileSafe = KeepUnreadableDayFile(dayPath);
    beginNewFile = true;
  }
  if (beginNewFile) {
    SettingsRef.TimeZoneText = TimeZoneText(CycleTimeValue);
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
  if (day.FileSafe)
    saved = day.WholeWrite ? SaveKrf(DayDataSet, dayPath) : AppendKrf(DayDataSet, dayPath, rad);
  if (saved == 1) {
    LastDayFilePath = dayPath;
  } else {
    WriteLog("ERROR KRF SAVE");
  }
}

void CSpectrelDoc::SaveCsvFile(const CRad& rad) {
  const std::string csvPath = HourCsvPath(SettingsRef.CsvFolder, rad.MeasureTime);
  MakeFolderOf(csvPath);
  BuildMergedWavelengths(DayDataSet, Merged);
  if (Csv.WriteCsvFile(csvPath, DayDataSet, CsvOptionsFrom(SettingsRef), Merged) == 0) {
    WriteLog("ERROR CSV SAVE");
  } else {
    LastCsvFilePath = csvPath;
  }
}

}  // namespace spectrel
