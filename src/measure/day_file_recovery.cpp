// What keeps a day's points safe across faults: a damaged or unreadable day file kept aside, the
// leftovers of interrupted whole writes removed, and points that could not be stored held for the
// next save of their day.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/file_output.h"
#include "files/krf_file.h"
#include "measure/day_paths.h"
#include "measure/spectrel_doc.h"

namespace spectrel {

namespace {

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

std::string FolderOf(const std::string& path) {
  return std::filesystem::path(path).parent_path().string();
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
  errno = EEXIST;
  return false;
}

// Reads the day file into the set and tells whether it may be appended to.
CSpectrelDoc::DayLoad CSpectrelDoc::LoadDayFile(const std::string& dayPath) {
  KrfReadReport report;
  bool unreadable = false;
  try {
    if (LoadKrf(DayDataSet, dayPath, &report) < 0) unreadable = true;
  } catch (const KrfTimeError&) {
    unreadable = true;
  }
  // Without a whole file header there is nothing to carry over.
  if (!unreadable && report.TailDamaged && report.CompleteEnd > 0) {
    // An append here would be swallowed as the missing bytes: the day is written again from
    // what could be read, and the cut file is kept aside.
    WriteLog("ERROR KRF TAIL");
    Host.ReportError("day file cut short after byte " + std::to_string(report.CompleteEnd) +
                     ": " + dayPath + " is kept aside and written again from " +
                     std::to_string(DayDataSet.RadCount()) + " points");
    return DayLoad::Damaged;
  }
  if (!unreadable && !report.TailDamaged) return DayLoad::Whole;
  WriteLog("ERROR KRF LOAD");
  // What the file holds stays on disk under another name; the day goes on in a new file, so a
  // whole write cannot drop the points that could not be read.
  DayDataSet.Clear();
  return DayLoad::Unreadable;
}

void CSpectrelDoc::RemoveLeftoversOfToday() {
  const std::int64_t now = ClockRef.Now();
  RemoveLeftoverTemporariesIn(FolderOf(DayFilePath(SettingsRef.KrfFolder, now)));
  if (SettingsRef.SaveCsv == 1)
    RemoveLeftoverTemporariesIn(FolderOf(HourCsvPath(SettingsRef.CsvFolder, now)));
}

bool CSpectrelDoc::MergeUnsaved(const std::string& dayPath) {
  const auto ofDay = [&dayPath](const UnsavedPoint& p) { return p.DayPath == dayPath; };
  if (std::none_of(Unsaved.begin(), Unsaved.end(), ofDay)) return false;
  CKrfData merged = DayDataSet.Header();
  int j = 0;
  for (const UnsavedPoint& point : Unsaved) {
    if (!ofDay(point)) continue;
    while (j < DayDataSet.RadCount() && DayDataSet.Rad(j).MeasureTime <= point.Rad.MeasureTime)
      merged.AppendRad(std::move(DayDataSet.Rad(j++)));
    // A save reported failed may still have reached the file: the point is not doubled.
    const CRad* last = merged.LastRad();
    if (last == nullptr || last->MeasureTime != point.Rad.MeasureTime) merged.AppendRad(point.Rad);
  }
  while (j < DayDataSet.RadCount()) merged.AppendRad(std::move(DayDataSet.Rad(j++)));
  DayDataSet = std::move(merged);
  return true;
}

// A point held after its day ended would wait for ever for a save of its own day: each of those
// days is read again (a damaged file kept aside as always), its held points merged in time order
// and the day written whole. The set shown stays the one of the cycle just stored.
void CSpectrelDoc::StoreHeldDays(const std::string& savedDay) {
  std::vector<std::string> days;
  for (const UnsavedPoint& point : Unsaved) {
    if (point.DayPath != savedDay && std::find(days.begin(), days.end(), point.DayPath) == days.end())
      days.push_back(point.DayPath);
  }
  if (days.empty()) return;
  CKrfData shown = std::move(DayDataSet);
  for (const std::string& day : days) {
    const auto first = std::find_if(Unsaved.begin(), Unsaved.end(),
                                    [&day](const UnsavedPoint& p) { return p.DayPath == day; });
    DayDataSet.Clear();
    const DayStart start = BeginDay(day, first->Rad.MeasureTime);
    AddNewInfoRecords();
    MergeUnsaved(day);
    if (start.FileSafe && SaveKrf(DayDataSet, day) == 1) {
      ForgetUnsaved(day);
    } else {
      ReportNotStored(day, start.FileSafe, start.FileSafe ? errno : start.Error);
    }
  }
  DayDataSet = std::move(shown);
}

void CSpectrelDoc::ForgetUnsaved(const std::string& dayPath) {
  std::erase_if(Unsaved, [&dayPath](const UnsavedPoint& p) { return p.DayPath == dayPath; });
}

}  // namespace spectrel
