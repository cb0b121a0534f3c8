#include "measure/day_store.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "files/krf_file.h"

namespace spectrel {

namespace {

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

// Creates the folders up to the file's own; a failure shows up later as the file's save error.
void MakeFolderOf(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (parent.empty()) return;
  std::error_code ec;
  std::filesystem::create_directories(parent, ec);
}

// Moves a damaged day file aside under "<name>.unreadable-<n>"; false (errno set) when it could
// not be moved.
bool KeepAside(const std::string& path) {
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

std::string NotStoredReason(const std::string& path, bool fileSafe, int error) {
  return path + (fileSafe ? ": " : ": cannot keep the old file aside: ") + std::strerror(error != 0 ? error : EIO);
}

// Reads the file into set and tells what it found; an unreadable file leaves set empty.
DayRead::Found ReadDay(CKrfData& set, const std::string& path, std::size_t& wholeBytes) {
  KrfReadReport report;
  bool unreadable = false;
  try {
    unreadable = LoadKrf(set, path, &report) < 0;
  } catch (const KrfTimeError&) {
    unreadable = true;
  }
  if (!unreadable && !report.TailDamaged) return DayRead::Found::Whole;
  // Without a whole file header there is nothing to carry over.
  if (!unreadable && report.CompleteEnd > 0) {
    wholeBytes = report.CompleteEnd;
    return DayRead::Found::CutShort;
  }
  set.Clear();
  return DayRead::Found::Unreadable;
}

}  // namespace

DayRead DayStore::Begin(const std::string& dayPath, const CKrfData& header) {
  Set.Clear();
  Current = DayState();
  Current.Path = dayPath;
  PointIndex = -1;
  DayRead read;
  read.Path = dayPath;
  if (!Exists(dayPath)) {
    MakeFolderOf(dayPath);
  } else {
    read.What = ReadDay(Set, dayPath, read.WholeBytes);
    read.PointsRead = Set.RadCount();
    if (read.What != DayRead::Found::Whole) {
      // An append to a cut file would be swallowed as its missing bytes, and a whole write over
      // an unreadable one would drop what could not be read: what the file holds stays on disk
      // under another name, and the day is written again.
      read.KeptAside = KeepAside(dayPath);
      read.Error = read.KeptAside ? 0 : errno;
      Current.FileSafe = read.KeptAside;
      Current.Error = read.Error;
      Current.WholeWrite = true;
    }
  }
  if (read.NewFile()) {
    Set = header;
    Current.WholeWrite = true;
  }
  // A sensor that became ready since the file was begun adds its information record.
  for (int model = 0; model < ModelCount; ++model) {
    if (header.Info(model) == nullptr || Set.Info(model) != nullptr) continue;
    Set.SetInfo(model, *header.Info(model));
    Current.WholeWrite = true;
  }
  return read;
}

int DayStore::Add(const CRad& point) {
  // Points of this day that earlier cycles could not store go in first, in time order.
  if (MergeHeld()) Current.WholeWrite = true;
  PointIndex = Set.AppendRad(point);
  return PointIndex;
}

bool DayStore::MergeHeld() {
  const auto ofDay = [this](const HeldPoint& p) { return p.DayPath == Current.Path; };
  if (std::none_of(Held.begin(), Held.end(), ofDay)) return false;
  CKrfData merged = Set.Header();
  int j = 0;
  for (const HeldPoint& point : Held) {
    if (!ofDay(point)) continue;
    for (int model = 0; model < ModelCount; ++model)
      if (point.Header.Info(model) != nullptr && merged.Info(model) == nullptr)
        merged.SetInfo(model, *point.Header.Info(model));
    while (j < Set.RadCount() && Set.Rad(j).MeasureTime <= point.Rad.MeasureTime)
      merged.AppendRad(std::move(Set.Rad(j++)));
    // A save reported failed may still have reached the file: the point is not doubled.
    const CRad* last = merged.LastRad();
    if (last == nullptr || last->MeasureTime != point.Rad.MeasureTime) merged.AppendRad(point.Rad);
  }
  while (j < Set.RadCount()) merged.AppendRad(std::move(Set.Rad(j++)));
  Set = std::move(merged);
  return true;
}

StoreOutcome DayStore::Save() {
  StoreOutcome outcome;
  DaySave& save = outcome.Cycle;
  save.Path = Current.Path;
  const CRad& rad = Set.Rad(PointIndex);
  int error = Current.Error;
  if (Current.FileSafe) {
    save.Stored = (Current.WholeWrite ? SaveKrf(Set, Current.Path) : AppendKrf(Set, Current.Path, rad)) == 1;
    error = errno;
  }
  if (save.Stored) {
    Forget(Current.Path);
    outcome.HeldDays = StoreHeldDays();
  } else {
    // Held in memory for the next successful save; should the program end first, the held points
    // are lost, and the document says how many at its end.
    Held.push_back({Current.Path, Set.Header(), rad});
    save.Reason = NotStoredReason(Current.Path, Current.FileSafe, error);
  }
  save.Held = Held.size();
  for (auto& day : outcome.HeldDays) day.Save.Held = Held.size();
  return outcome;
}

// A point held after its day ended would wait for ever for a save of its own day: each of those
// days is read again (a damaged file kept aside as always), its held points merged in time order
// and the day written whole. The day kept is the one of the cycle just stored.
std::vector<StoreOutcome::HeldDay> DayStore::StoreHeldDays() {
  std::vector<std::string> days;
  for (const HeldPoint& point : Held)
    if (std::find(days.begin(), days.end(), point.DayPath) == days.end()) days.push_back(point.DayPath);
  std::vector<StoreOutcome::HeldDay> stored;
  if (days.empty()) return stored;
  CKrfData cycleDay = std::move(Set);
  DayState cycleState = std::move(Current);
  const int cycleIndex = PointIndex;
  for (const std::string& day : days) {
    const auto first = std::find_if(Held.begin(), Held.end(), [&day](const HeldPoint& p) { return p.DayPath == day; });
    StoreOutcome::HeldDay result;
    result.Read = Begin(day, first->Header);
    result.Save.Path = day;
    MergeHeld();
    result.Save.Stored = Current.FileSafe && SaveKrf(Set, day) == 1;
    if (result.Save.Stored)
      Forget(day);
    else
      result.Save.Reason = NotStoredReason(day, Current.FileSafe, Current.FileSafe ? errno : Current.Error);
    stored.push_back(std::move(result));
  }
  Set = std::move(cycleDay);
  Current = std::move(cycleState);
  PointIndex = cycleIndex;
  return stored;
}

void DayStore::Forget(const std::string& dayPath) {
  std::erase_if(Held, [&dayPath](const HeldPoint& p) { return p.DayPath == dayPath; });
}

}  // namespace spectrel
