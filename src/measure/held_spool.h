// Points that could not be written to their day file (a full disk, an unwritable folder), kept on
// the same disk until they can be: one file in the data folder whose space is reserved when it is
// opened, so that a disk that fills up later still takes them, and which the next start reads back
// should the program end first. Only where each point lies is kept in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/unique_fd.h"
#include "spectrum/records.h"

namespace spectrel {

class HeldSpool {
 public:
  // A point in the spool: its day file, and where its record lies.
  struct Entry {
    std::string DayPath;
    std::uint64_t Offset = 0;
    std::uint64_t Length = 0;
  };

  // Opens or creates the spool at path and reserves reserveBytes on its disk; the points an earlier
  // run left in it are returned in the order they were held (a record cut by a crash ends them).
  // False (errno set) when the file cannot be opened.
  bool Open(const std::string& path, std::uint64_t reserveBytes, std::vector<Entry>& found);
  bool IsOpen() const { return static_cast<bool>(Fd); }
  // Writes the day's header with one point (the set's only one) to the disk; false (errno set)
  // when it could not be made durable.
  bool Add(const std::string& dayPath, const CKrfData& headerAndPoint, Entry& entry);
  // The header and point of an entry; false when the record cannot be read back.
  bool Read(const Entry& entry, CKrfData& headerAndPoint) const;
  // Empties the spool once each of its points is in its day file, and reserves its space again.
  void Clear();

 private:
  UniqueFd Fd;
  std::uint64_t End = 0;       // bytes of whole records
  std::uint64_t Reserve = 0;
};

// "<folder>HELD.KRS": the folder text directly followed by the name, as the year folder is.
std::string HeldSpoolPath(const std::string& krfFolder);

}  // namespace spectrel
