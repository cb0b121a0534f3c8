#include "measure/day_store.h"

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>

#include "base/file_input.h"
#include "base/file_output.h"
#include "base/local_time.h"
#include "files/day_part_name.h"
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

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  if (sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino) return true;
  if (sa.st_size != sb.st_size) return false;
  std::string bytesA;
  std::string bytesB;
  const auto limit = static_cast<std::size_t>(sa.st_size);
  return ReadSmallFile(a, limit, bytesA).Error == SmallFileError::None &&
         ReadSmallFile(b, limit, bytesB).Error == SmallFileError::None && bytesA == bytesB;
}

// Keeps a copy of a damaged day file under "<name>.unreadable-<n>". The day file itself stays
// where it is until the day is written whole over it in one rename, so a program killed at any
// instant leaves the day file with every whole point it had; the next start finds it damaged
// again and keeps no second copy of the same file. False (errno set) when no copy could be kept.
bool KeepAside(const std::string& path) {
  for (int n = 1; n < 10000; ++n) {
    const std::string aside = path + ".unreadable-" + std::to_string(n);
    // A hard link never replaces an existing name, and costs no space.
    if (::link(path.c_str(), aside.c_str()) == 0) return SyncFolderOf(path);
    if (errno == EEXIST) {
      if (SameFile(path, aside)) return true;
      continue;
    }
    // Folders without hard links: a copy, flushed before it takes the free name.
    if (Exists(aside)) continue;
    std::string bytes;
    const SmallFileRead read = ReadSmallFile(path, std::numeric_limits<std::size_t>::max(), bytes);
    if (read.Error != SmallFileError::None) {
      errno = read.SystemError != 0 ? read.SystemError : EIO;
      return false;
    }
    ReplaceFileWriter copy;
    if (copy.Open(aside) && copy.Write(bytes) && copy.Commit()) return true;
    errno = copy.Error();
    return false;
  }
  errno = EEXIST;
  return false;
}

std::string NotStoredReason(const std::string& path, bool fileSafe, int error) {
  return path + (fileSafe ? ": " : ": cannot keep the old file aside: ") + std::strerror(error != 0 ? error : EIO);
}

// Reads the file into set (all of it, or the points of its last hour, the others counted in
// notKept) and tells what it found; an unreadable file leaves set empty.
DayRead::Found ReadDay(CKrfData& set, const std::string& path, KrfKeep keep, std::size_t& wholeBytes, int& notKept) {
  KrfReadReport report;
  bool unreadable = false;
  try {
    unreadable = !LoadKrf(set, path, &report, KrfReadMode::Strict, keep);
  } catch (const KrfTimeError&) {
    unreadable = true;
  }
  notKept = report.PointsNotKept;
  if (!unreadable && !report.TailDamaged) return DayRead::Found::Whole;
  // Without a whole file header there is nothing to carry over.
  if (!unreadable && report.CompleteEnd > 0) {
    wholeBytes = report.CompleteEnd;
    return DayRead::Found::CutShort;
  }
  set.Clear();
  return DayRead::Found::Unreadable;
}

// The same unit: its points may be stored under the record. The firmware may be renewed.
bool SameUnit(const SensorInfo& a, const SensorInfo& b) {
  return a.SerialNo == b.SerialNo && a.SensorId == b.SensorId && a.Coef == b.Coef && a.Calib == b.Calib;
}

}  // namespace

DayStore::FileMark DayStore::MarkOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return {path, st.st_dev, st.st_ino, st.st_size,
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

DayRead DayStore::Begin(const std::string& dayPath, const CKrfData& header) {
  Current = DayState();
  Current.Path = dayPath;
  PointIndex = -1;
  DayRead read;
  read.Path = dayPath;
  // The file as this store left it: the day in memory is what it holds.
  bool known = !Written.Path.empty() && Written.Path == dayPath && MarkOf(dayPath) == Written;
  // A day kept to its hour is not the whole file: where the day is to be written whole, it is
  // read back first.
  if (known && Dropped > 0 && MustWriteWhole(dayPath, header)) known = false;
  if (!known) {
    Set.Clear();
    Dropped = 0;
  }
  Written = FileMark();
  if (known) {
    read.What = DayRead::Found::Whole;
  } else if (!Exists(dayPath)) {
    MakeFolderOf(dayPath);
  } else {
    // A store keeping its hour reads only the file's last hour (a late start holds no more than
    // an hour of spectra), unless the day is to be written whole: then, or when the file is
    // damaged, it reads all of it.
    bool whole = KeptPart != Kept::Hour;
    if (!whole) {
      read.What = ReadDay(Set, dayPath, KrfKeep::LastHour, read.WholeBytes, Dropped);
      whole = read.What != DayRead::Found::Whole || MustWriteWhole(dayPath, header);
    }
    if (whole) {
      Set.Clear();
      read.What = ReadDay(Set, dayPath, KrfKeep::All, read.WholeBytes, Dropped);
    }
    read.PointsRead = Set.RadCount();
    if (read.What != DayRead::Found::Whole) {
      // An append to a cut file would be swallowed as its missing bytes, and a whole write over
      // an unreadable one would drop what could not be read: what the file holds stays on disk
      // under another name, and the day is written again over the file in one rename.
      Note(Step::Read);
      read.KeptAside = KeepAside(dayPath);
      read.Error = read.KeptAside ? 0 : errno;
      if (read.KeptAside) Note(Step::KeptAside);
      Current.Damaged = true;
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

DayRead DayStore::BeginCycle(const std::string& dayPath, const CKrfData& header, std::vector<UnitChange>& changes) {
  changes.clear();
  const int part = LatestDayPart(dayPath);
  DayRead read = Begin(DayPartPath(dayPath, part), header);
  for (int model = 0; model < ModelCount; ++model) {
    const SensorInfo* now = header.Info(model);
    const SensorInfo* recorded = Set.Info(model);
    if (now != nullptr && recorded != nullptr && !SameUnit(*now, *recorded))
      changes.push_back({model, recorded->SerialNo, now->SerialNo, DayPartPath(dayPath, part + 1)});
  }
  if (changes.empty()) return read;
  // The part read stays as it is: nothing of the new unit goes under its records.
  return Begin(changes.front().Part, header);
}

// Held points of the day go in, or a sensor's information record joins the header.
bool DayStore::MustWriteWhole(const std::string& dayPath, const CKrfData& header) const {
  if (std::any_of(Held.begin(), Held.end(), [&dayPath](const HeldPoint& p) { return p.DayPath == dayPath; }))
    return true;
  for (int model = 0; model < ModelCount; ++model)
    if (header.Info(model) != nullptr && Set.Info(model) == nullptr) return true;
  return false;
}

// Leaves the points of the last point's clock hour (both of them in an hour the clock repeats),
// as the hourly CSV file takes them.
void DayStore::KeepHour() {
  if (KeptPart != Kept::Hour || Set.RadCount() == 0) return;
  const auto hourOf = [](const CRad& rad) { return LocalHourKey(rad.MeasureTime); };
  const int hour = hourOf(*Set.LastRad());
  int first = Set.RadCount() - 1;
  while (first > 0 && hourOf(Set.Rad(first - 1)) == hour) --first;
  if (first == 0) return;
  CKrfData kept = Set.Header();
  for (int j = first; j < Set.RadCount(); ++j) kept.AppendRad(std::move(Set.Rad(j)));
  Set = std::move(kept);
  Dropped += first;
  PointIndex -= first;
  // Thousands of small spectra were freed: the memory goes back to the system, not to a heap
  // that only a whole day would fill again.
  malloc_trim(0);
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
  CKrfData held;
  for (const HeldPoint& point : Held) {
    // A spooled point whose record cannot be read back (a failing disk) cannot be stored.
    if (!ofDay(point) || !Load(point, held)) continue;
    for (int model = 0; model < ModelCount; ++model)
      if (held.Info(model) != nullptr && merged.Info(model) == nullptr) merged.SetInfo(model, *held.Info(model));
    const CRad& rad = held.Rad(0);
    while (j < Set.RadCount() && Set.Rad(j).MeasureTime <= rad.MeasureTime)
      merged.AppendRad(std::move(Set.Rad(j++)));
    // A save reported failed (or a spool left by a stop just after its save) may still have
    // reached the file: the point is not doubled.
    const CRad* last = merged.LastRad();
    if (last == nullptr || last->MeasureTime != rad.MeasureTime) merged.AppendRad(rad);
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
    save.Stored = Current.WholeWrite ? SaveKrf(Set, Current.Path) : AppendKrf(Set, Current.Path, rad);
    error = errno;
  }
  if (save.Stored && Current.Damaged) Note(Step::Written);
  if (save.Stored) {
    const FileMark written = MarkOf(Current.Path);
    Forget(Current.Path);
    outcome.HeldDays = StoreHeldDays();
    Written = written;
    KeepHour();
  } else {
    save.Reason = NotStoredReason(Current.Path, Current.FileSafe, error);
    Hold(save, rad);
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
    CKrfData header;
    Load(*first, header);
    StoreOutcome::HeldDay result;
    result.Read = Begin(day, header.Header());
    result.Save.Path = day;
    MergeHeld();
    result.Save.Stored = Current.FileSafe && SaveKrf(Set, day);
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

void DayStore::Note(Step step) const {
  if (StepHook) StepHook(step);
}

void DayStore::Forget(const std::string& dayPath) {
  std::erase_if(Held, [&dayPath](const HeldPoint& p) { return p.DayPath == dayPath; });
  if (Held.empty()) Spool.Clear();
}

int DayStore::OpenSpool(const std::string& path, std::uint64_t reserveBytes) {
  SpoolPath = path;
  SpoolReserve = reserveBytes;
  std::vector<HeldSpool::Entry> found;
  if (!Spool.Open(path, reserveBytes, found)) return -1;
  for (HeldSpool::Entry& entry : found) {
    HeldPoint point;
    point.DayPath = entry.DayPath;
    point.Spooled = std::move(entry);
    Held.push_back(std::move(point));
  }
  return static_cast<int>(found.size());
}

// Held on the disk in the spool, reserved for it at start; where even that fails, in memory up to
// a bound, beyond which the oldest point held only in memory is lost (and said).
void DayStore::Hold(DaySave& save, const CRad& rad) {
  HeldPoint point;
  point.DayPath = Current.Path;
  point.Memory = Set.Header();
  point.Memory.AppendRad(rad);
  std::vector<HeldSpool::Entry> ignored;   // a spool begun late holds nothing of an earlier run
  if (!Spool.IsOpen() && !SpoolPath.empty()) Spool.Open(SpoolPath, SpoolReserve, ignored);
  save.Spooled = Spool.Add(Current.Path, point.Memory, point.Spooled);
  if (save.Spooled) point.Memory.Clear();
  Held.push_back(std::move(point));
  if (HeldInMemory() > MaxHeldInMemory) {
    Held.erase(std::find_if(Held.begin(), Held.end(), [](const HeldPoint& p) { return p.Spooled.Length == 0; }));
    save.Dropped = 1;
  }
}

std::size_t DayStore::HeldInMemory() const {
  return static_cast<std::size_t>(
      std::count_if(Held.begin(), Held.end(), [](const HeldPoint& p) { return p.Spooled.Length == 0; }));
}

bool DayStore::Load(const HeldPoint& point, CKrfData& headerAndPoint) const {
  if (point.Spooled.Length == 0) {
    headerAndPoint = point.Memory;
    return true;
  }
  return Spool.Read(point.Spooled, headerAndPoint);
}

}  // namespace spectrel
