// The day file of a measurement set: whole write, append of one point, and load, from a file or
// from its bytes already in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "spectrum/records.h"

namespace spectrel {

// Writes the whole set beside path and renames it over the old file; false when it was not
// written (errno tells why).
bool SaveKrf(const CKrfData& set, const std::string& path);
// The same, but only as a new file: false (errno EEXIST) when path exists, which is never touched.
bool SaveNewKrf(const CKrfData& set, const std::string& path);
// The bytes of the whole file SaveKrf writes, in memory (for a small set).
std::string KrfBytes(const CKrfData& set);
// Appends the point's blocks to the existing file at path (never creates it) and flushes them to
// disk; false when it was not written (errno tells why).
bool AppendKrf(const CKrfData& set, const std::string& path, const CRad& rad);

// How a read went beyond the count of points: where the file's last complete block ends, and
// what a salvage skipped.
struct KrfReadReport {
  bool TailDamaged = false;   // the file is cut short inside a section or block (or ends in text)
  size_t CompleteEnd = 0;     // bytes up to and with the line feed ending the last complete block
  size_t Size = 0;            // bytes read
  int DroppedPoints = 0;      // salvage: points skipped for an invalid time
  int DroppedBlocks = 0;      // salvage: sensor blocks skipped (invalid time, or of such a point)
  int PointsNotKept = 0;      // KrfKeep::LastHour: whole points read before the last hour
  // The "MT" clock reading of each point read, in file order, as written: what turns into true UTC
  // with the station's zone (DayTimesToUtc), whatever zone this machine is in.
  std::vector<std::int64_t> PointClocks;
};

enum class KrfReadMode {
  Strict,    // an invalid time stops the reading (KrfTimeError)
  Salvage,   // a point or sensor block with an invalid time is skipped and the reading goes on
};

// Which points a read keeps.
enum class KrfKeep {
  All,
  LastHour,   // those of the last point's local clock hour (LocalHourKey), as a station keeping
              // only its hour holds them: the others are counted in KrfReadReport::PointsNotKept
};

// Why a day file did not load (the reader gives the first five; the day loader the others).
enum class DayLoadError {
  None,
  NotDayFile,    // empty, or a first line that is not a day file's
  Unreadable,    // the system refused to read it (a folder, no permission, an input error)
  Missing,       // no such file
  OutOfMemory,
  BadTime,       // a time stamp that is no valid date stopped the reading (the points before it stay)
  NoPoints,      // a day file without a measurement point, where one is needed
};

// What a read came to: the points of the set after it, or why the file was not read.
struct KrfLoad {
  DayLoadError Error = DayLoadError::None;
  int Points = 0;
  explicit operator bool() const { return Error == DayLoadError::None; }
};

// Reads the file into set, adding to what it holds; the points' times are this machine's zone's
// instants of the file's clock readings (see KrfReadReport::PointClocks). Throws KrfTimeError for
// an invalid time stamp in Strict mode, keeping what was read before. A block cut short by the end
// of the file is not added. report, when given, says how the file ends.
KrfLoad LoadKrf(CKrfData& set, const std::string& path, KrfReadReport* report = nullptr,
                KrfReadMode mode = KrfReadMode::Strict, KrfKeep keep = KrfKeep::All);

// The same on the whole file's bytes (NotDayFile when they do not begin with "HD_KRF,"). Throws
// KrfTimeError like LoadKrf: the point or sensor block whose time is invalid is dropped.
KrfLoad LoadKrfFromBytes(CKrfData& set, std::string_view bytes, KrfReadReport* report = nullptr,
                         KrfReadMode mode = KrfReadMode::Strict, KrfKeep keep = KrfKeep::All);

}  // namespace spectrel
