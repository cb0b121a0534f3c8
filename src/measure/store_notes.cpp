#include "measure/store_notes.h"

#include "measure/status_texts.h"
#include "spectrum/model_table.h"

namespace spectrel {

void StoreNotes::Read(const DayRead& read) const {
  if (read.What == DayRead::Found::CutShort) {
    Log.Write("ERROR KRF TAIL");
    Host.ReportError("day file cut short after byte " + std::to_string(read.WholeBytes) + ": " + read.Path +
                     " is kept aside and written again from " + std::to_string(read.PointsRead) + " points");
  } else if (read.What == DayRead::Found::Unreadable) {
    Log.Write("ERROR KRF LOAD");
  }
}

void StoreNotes::Save(const DaySave& save) const {
  if (save.Stored) return;
  Log.Write("ERROR KRF SAVE");
  if (!save.Spooled) Log.Write("ERROR KRF SPOOL");
  if (save.Dropped > 0) Log.Write("ERROR KRF LOST " + std::to_string(save.Dropped));
  Host.ReportError("not stored: " + save.Reason + " (" + std::to_string(save.Held) + " points held for the next save" +
                   (save.Spooled ? ")" : ", this one in memory only: the held points file cannot take it)"));
}

void StoreNotes::HeldDays(const std::vector<StoreOutcome::HeldDay>& days) const {
  for (const StoreOutcome::HeldDay& day : days) {
    Read(day.Read);
    Save(day.Save);
  }
}

void StoreNotes::UnitChanged(const UnitChange& change) const {
  const std::string tag(Models[static_cast<std::size_t>(change.Model)].Tag);
  Log.Write(tag + " UNIT CHANGED " + change.OldSerial + " " + change.NewSerial);
  Host.ReportError(ModelDisplayName(change.Model) + " is another unit (serial number " + change.OldSerial + ", now " +
                   change.NewSerial + "): the day goes on in " + change.Part);
}

void StoreNotes::HeldAtEnd(std::size_t spooled, std::size_t lost, const std::string& spoolPath) const {
  if (spooled > 0) {
    Log.Write("ERROR KRF HELD " + std::to_string(spooled));
    Host.ReportError("not stored: " + std::to_string(spooled) + " points wait in " + spoolPath +
                     " for the next start to write them to their day file");
  }
  if (lost > 0) {
    Log.Write("ERROR KRF LOST " + std::to_string(lost));
    Host.ReportError("not stored: " + std::to_string(lost) +
                     " points could not be written to their day file and are lost");
  }
}

}  // namespace spectrel
