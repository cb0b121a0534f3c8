// The day being measured and its file. Each cycle reads its day back (unless its file is as this
// store last wrote it; a copy of a damaged or unreadable file kept aside under a new name first, so
// nothing in it is lost), adds its point and stores the day whole or appends the point. A point that cannot be stored is held, with its day's
// header, in the spool on the same disk (in memory where even that fails), and written with the
// next successful save of any day, or by the next start. Every step returns what it came to; the
// document logs it and says it.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "measure/held_spool.h"
#include "spectrum/records.h"

namespace spectrel {

// What reading the cycle's day file found.
struct DayRead {
  enum class Found {
    Nothing,      // no file yet: a new day
    Whole,        // read whole: the point is appended
    CutShort,     // ends inside a block: written again from what could be read
    Unreadable,   // begun anew in a new file
  };
  Found What = Found::Nothing;
  std::string Path;
  std::size_t WholeBytes = 0;   // CutShort: bytes up to the end of the last whole block
  int PointsRead = 0;           // CutShort: points read from it
  bool KeptAside = true;        // CutShort, Unreadable: a copy kept aside; else Error says why not
  int Error = 0;                // errno of a failed copy
  bool NewFile() const { return What == Found::Nothing || What == Found::Unreadable; }
};

// What writing a day file came to.
struct DaySave {
  std::string Path;
  bool Stored = false;
  std::string Reason;   // not stored: the path and the system's words
  std::size_t Held = 0; // points of every day held for a later save, after this one
  bool Spooled = true;  // not stored: the point is in the spool on the disk, not only in memory
  std::size_t Dropped = 0;   // points held only in memory dropped beyond their bound: lost
};

// A sensor unit that is not the one whose record the day's part holds for its model (another
// serial number, identification or calibration): the day goes on in a new part.
struct UnitChange {
  int Model = 0;
  std::string OldSerial;
  std::string NewSerial;
  std::string Part;   // the part begun for the new unit
};

// A cycle's save: its own day, then each other day whose held points it wrote.
struct StoreOutcome {
  DaySave Cycle;
  struct HeldDay {
    DayRead Read;
    DaySave Save;
  };
  std::vector<HeldDay> HeldDays;
};

class DayStore {
 public:
  // Points held only in memory (where the spool cannot take them) are kept up to this many.
  static constexpr std::size_t MaxHeldInMemory = 360;

  // What stays of the day in memory between cycles: all of it, for a view that shows any point of
  // the day; or only the clock hour being measured, which is all the hourly CSV file is written
  // from, so that a station that only stores carries as much at midnight as at dawn.
  enum class Kept { WholeDay, Hour };
  explicit DayStore(Kept kept = Kept::WholeDay) : KeptPart(kept) {}
  Kept Keeps() const { return KeptPart; }

  // Opens the spool of held points at path, reserving reserveBytes on its disk; the points an
  // earlier run left in it are held again. How many were found, or -1 (errno set) when it cannot
  // be opened: points are then held in memory until it can.
  int OpenSpool(const std::string& path, std::uint64_t reserveBytes);
  // Stores every held point into its day file, as the next successful save would.
  std::vector<StoreOutcome::HeldDay> StoreHeld() { return StoreHeldDays(); }

  // Begins the cycle's day at dayPath: read back from its file, or begun with header (the site
  // strings and time-zone text of a new file) where there is none or it cannot be read. The
  // header's information records that the day lacks are added; the day is then written whole.
  DayRead Begin(const std::string& dayPath, const CKrfData& header);
  // Begins the cycle's day as Begin does, in the latest part of the day at dayPath. Where a sensor
  // of header is another unit than the part's record of its model, that part is left as it is
  // and the day goes on in the next part, begun with header; changes tells which units changed.
  DayRead BeginCycle(const std::string& dayPath, const CKrfData& header, std::vector<UnitChange>& changes);
  // Adds the cycle's point after the day's held points; its index in the day.
  int Add(const CRad& point);
  // Stores the day whole or appends the point, and after a save every other day's held points.
  StoreOutcome Save();

  // The steps of setting a damaged day file aside and writing the day again, in their order.
  enum class Step { Read = 1, KeptAside, Written };
  // Fault-injection seam: called after each step; a throw from it stands for the program killed
  // at that instant, leaving the files as they are.
  void SetStepHook(std::function<void(Step)> hook) { StepHook = std::move(hook); }

  // The day in memory: every point, or (Kept::Hour) the points of the hour being measured.
  const CKrfData& Day() const { return Set; }
  // Points of the day's file as this store last read or wrote it, kept in memory or not.
  int DayPoints() const { return Set.RadCount() + Dropped; }
  std::size_t HeldPoints() const { return Held.size(); }
  std::size_t HeldInMemory() const;

 private:
  struct HeldPoint {
    std::string DayPath;          // the day file it belongs in
    HeldSpool::Entry Spooled;     // where it lies in the spool; Length 0: in memory
    CKrfData Memory;              // not spooled: that day's header when it was measured, and the point
  };
  struct DayState {
    std::string Path;
    bool WholeWrite = false;   // the file must be written whole, not appended to
    bool Damaged = false;      // the file is damaged: a copy is kept aside, the day written again
    bool FileSafe = true;      // false: a damaged file's copy could not be kept aside
    int Error = 0;             // errno of that failed copy
  };
  bool MergeHeld();
  bool MustWriteWhole(const std::string& dayPath, const CKrfData& header) const;
  void KeepHour();
  void Forget(const std::string& dayPath);
  void Note(Step step) const;
  bool Load(const HeldPoint& point, CKrfData& headerAndPoint) const;
  void Hold(DaySave& save, const CRad& rad);
  std::vector<StoreOutcome::HeldDay> StoreHeldDays();

  // The day file as this store last wrote it: while it is unchanged the day in Set is its
  // content, and the next cycle need not read it again (a cost that would grow with the day).
  struct FileMark {
    std::string Path;
    dev_t Dev = 0;
    ino_t Ino = 0;
    off_t Size = 0;
    std::int64_t ModifiedNs = 0;
    bool operator==(const FileMark&) const = default;
  };
  static FileMark MarkOf(const std::string& path);

  Kept KeptPart;
  CKrfData Set;                  // the day's measurement set, or its hour
  int Dropped = 0;               // points of the day's file left out of Set
  FileMark Written;              // of the day in Set; empty Path when Set is not what the file holds
  DayState Current;              // how the day in Set was begun
  int PointIndex = -1;           // the cycle's point in Set
  std::vector<HeldPoint> Held;   // not yet stored, oldest first
  HeldSpool Spool;
  std::string SpoolPath;
  std::uint64_t SpoolReserve = 0;
  std::function<void(Step)> StepHook;
};

}  // namespace spectrel
