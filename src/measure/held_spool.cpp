#include "measure/held_spool.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <charconv>

#include "base/file_output.h"
#include "files/krf_file.h"

namespace spectrel {

namespace {

// A record: "HELD <length of the bytes> <day file path>\n", then the bytes of a day file holding
// the day's header and the one point.
constexpr std::string_view Mark = "HELD ";
constexpr std::size_t MaxHead = 8192;

bool ReadAt(int fd, std::string& bytes, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteAt(int fd, std::string_view bytes, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The record at offset of a file of size bytes; false where none begins whole.
bool RecordAt(int fd, std::uint64_t offset, std::uint64_t size, HeldSpool::Entry& entry) {
  std::string head(std::min<std::uint64_t>(MaxHead, size - offset), '\0');
  if (head.size() <= Mark.size() || !ReadAt(fd, head, offset) || head.compare(0, Mark.size(), Mark) != 0) return false;
  const std::size_t lineEnd = head.find('\n');
  if (lineEnd == std::string::npos) return false;
  const char* first = head.data() + Mark.size();
  const auto [rest, ec] = std::from_chars(first, head.data() + lineEnd, entry.Length);
  if (ec != std::errc() || rest == first || *rest != ' ' || entry.Length > size) return false;
  entry.DayPath = head.substr(static_cast<std::size_t>(rest + 1 - head.data()), lineEnd - static_cast<std::size_t>(rest + 1 - head.data()));
  entry.Offset = offset + lineEnd + 1;
  return !entry.DayPath.empty() && entry.Offset + entry.Length <= size;
}

}  // namespace

bool HeldSpool::Open(const std::string& path, std::uint64_t reserveBytes, std::vector<Entry>& found) {
  Fd.Reset(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644));
  if (!Fd) return false;
  struct stat st {};
  if (::fstat(Fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    Fd.Reset();
    errno = EINVAL;
    return false;
  }
  // One program holds the spool: a second one on the same folder leaves the first one's points be.
  if (::flock(Fd.Get(), LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    Fd.Reset();
    errno = error;
    return false;
  }
  const auto size = static_cast<std::uint64_t>(st.st_size);
  End = 0;
  Entry entry;
  CKrfData check;
  // Records end where one is cut (the program stopped while writing it): what follows is dropped.
  while (End < size && RecordAt(Fd.Get(), End, size, entry) && Read(entry, check)) {
    found.push_back(entry);
    End = entry.Offset + entry.Length;
  }
  if (End < size) ::ftruncate(Fd.Get(), static_cast<off_t>(End));
  SyncFolderOf(path);
  Reserve = reserveBytes;
  // The space stays the file's beyond its end: a full disk later still takes the held points.
  if (Reserve > 0) ::fallocate(Fd.Get(), FALLOC_FL_KEEP_SIZE, static_cast<off_t>(End), static_cast<off_t>(Reserve));
  return true;
}

bool HeldSpool::Add(const std::string& dayPath, const CKrfData& headerAndPoint, Entry& entry) {
  if (!Fd) {
    errno = EBADF;
    return false;
  }
  const std::string bytes = KrfBytes(headerAndPoint);
  const std::string head = std::string(Mark) + std::to_string(bytes.size()) + " " + dayPath + "\n";
  if (!WriteAt(Fd.Get(), head + bytes, End) || ::fdatasync(Fd.Get()) != 0) {
    const int error = errno;
    ::ftruncate(Fd.Get(), static_cast<off_t>(End));   // no half record before the next one
    errno = error;
    return false;
  }
  entry = {dayPath, End + head.size(), bytes.size()};
  End = entry.Offset + entry.Length;
  return true;
}

bool HeldSpool::Read(const Entry& entry, CKrfData& headerAndPoint) const {
  std::string bytes(entry.Length, '\0');
  if (!Fd || !ReadAt(Fd.Get(), bytes, entry.Offset)) return false;
  headerAndPoint.Clear();
  KrfReadReport report;
  try {
    return LoadKrfFromBytes(headerAndPoint, bytes, &report).Points == 1 && !report.TailDamaged;
  } catch (const KrfTimeError&) {
    return false;
  }
}

void HeldSpool::Clear() {
  if (!Fd || End == 0) return;
  if (::ftruncate(Fd.Get(), 0) != 0) return;
  ::fdatasync(Fd.Get());
  End = 0;
  if (Reserve > 0) ::fallocate(Fd.Get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(Reserve));
}

std::string HeldSpoolPath(const std::string& krfFolder) { return krfFolder + "HELD.KRS"; }

}  // namespace spectrel
