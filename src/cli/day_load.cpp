#include "files/krf_file.h"
#include "cli/day_load.h"

#include "files/krf_load_error.h"

namespace spectrel::cli {

DayLoad LoadDay(const std::string& path, CKrfData& day) {
  DayLoad load;
  try {
    load.Result = LoadKrf(day, path);
    if (*load.Result < 0) load.Error = KrfLoadErrorText(*load.Result);
  } catch (const KrfTimeError& e) {
    load.Error = KrfLoadErrorText(e);
  }
  return load;
}

}  // namespace spectrel::cli
