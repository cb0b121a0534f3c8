// The one owner of a POSIX file descriptor: closes it once, moves but never copies.
#pragma once

#include <unistd.h>

#include <utility>

namespace spectrel {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : Fd(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : Fd(std::exchange(other.Fd, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.Fd, -1));
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int Get() const { return Fd; }
  bool Valid() const { return Fd >= 0; }
  explicit operator bool() const { return Valid(); }
  // Gives up ownership without closing.
  int Release() { return std::exchange(Fd, -1); }
  // Closes the held descriptor (if any) and holds fd instead.
  void Reset(int fd = -1) {
    if (Fd >= 0) ::close(Fd);
    Fd = fd;
  }

 private:
  int Fd = -1;
};

}  // namespace spectrel
