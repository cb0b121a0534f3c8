#include "files/krf_file.h"
#include "cli/day_load.h"

#include "files/krf_load_error.h"

namespace spectrel::cli {

DayLoad LoadDay(const std::string& path, CKrfData& day) {
  DayLoad load;
  try {
    load.Result = LoadKrf(day, path, &load.Report);
    if (*load.Result < 0) load.Error = KrfLoadErrorText(*load.Result);
  } catch (const KrfTimeError& e) {
    load.Error = KrfLoadErrorText(e);
  }
  return load;
}

std::string TailText(const DayLoad& load) {
  if (!load.Report.TailDamaged || !load.Result || *load.Result < 0) return {};
  return "cut short after byte " + std::to_string(load.Report.CompleteEnd) + " of " +
         std::to_string(load.Report.Size) + " (the rest is not a complete block)";
}

}  // namespace spectrel::cli
