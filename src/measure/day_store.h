// The day being measured and its file. Each cycle reads its day back (a damaged or unreadable
// file kept aside under a new name first, so nothing in it is lost), adds its point and stores
// the day whole or appends the point. A point that cannot be stored is held, with its day's
// header, and written with the next successful save of any day. Every step returns what it came
// to; the document logs it and says it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

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
  bool KeptAside = true;        // CutShort, Unreadable: moved aside; else Error says why not
  int Error = 0;                // errno of a failed move aside
  bool NewFile() const { return What == Found::Nothing || What == Found::Unreadable; }
};

// What writing a day file came to.
struct DaySave {
  std::string Path;
  bool Stored = false;
  std::string Reason;   // not stored: the path and the system's words
  std::size_t Held = 0; // points of every day held for a later save, after this one
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
  // Begins the cycle's day at dayPath: read back from its file, or begun with header (the site
  // strings and time-zone text of a new file) where there is none or it cannot be read. The
  // header's information records that the day lacks are added; the day is then written whole.
  DayRead Begin(const std::string& dayPath, const CKrfData& header);
  // Adds the cycle's point after the day's held points; its index in the day.
  int Add(const CRad& point);
  // Stores the day whole or appends the point, and after a save every other day's held points.
  StoreOutcome Save();

  const CKrfData& Day() const { return Set; }
  std::size_t HeldPoints() const { return Held.size(); }

 private:
  struct HeldPoint {
    std::string DayPath;   // the day file it belongs in
    CKrfData Header;       // that day's header (site strings, records) when it was measured
    CRad Rad;
  };
  struct DayState {
    std::string Path;
    bool WholeWrite = false;   // the file must be written whole, not appended to
    bool FileSafe = true;      // false: a damaged file could not be moved aside
    int Error = 0;             // errno of that failed move
  };
  bool MergeHeld();
  void Forget(const std::string& dayPath);
  std::vector<StoreOutcome::HeldDay> StoreHeldDays();

  CKrfData Set;                  // the day's measurement set
  DayState Current;              // how the day in Set was begun
  int PointIndex = -1;           // the cycle's point in Set
  std::vector<HeldPoint> Held;   // not yet stored, oldest first; lost if the program ends
};

}  // namespace spectrel
