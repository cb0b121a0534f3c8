#include "files/krf_file.h"
#include "archive/day_source.h"

#include <exception>

namespace spectrel::archive {

namespace {

const char* LoadFailure(int result) {
  switch (result) {
    case -1: return "not a day file (empty or wrong first line)";
    case -2: return "cannot be read";
    case -3: return "no such file";
    case -4: return "out of memory";
    default: return "cannot be loaded";
  }
}

}  // namespace

bool LoadDayFile(const std::string& path, CKrfData& day, std::string& error) {
  int result = 0;
  try {
    result = LoadKrf(day, path);
  } catch (const KrfTimeError& e) {
    error = std::string("damaged day file: ") + e.what();
    return false;
  } catch (const std::exception& e) {
    error = std::string("cannot be loaded: ") + e.what();
    return false;
  }
  if (result < 0) {
    error = LoadFailure(result);
    return false;
  }
  if (result == 0) {
    error = "holds no measurement point";
    return false;
  }
  return true;
}

}  // namespace spectrel::archive
