// What the day store came to, in the event log's words and the operator's: a day file cut short
// or unreadable, a point not stored, a sensor unit changed, points still held at the end.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "measure/day_store.h"
#include "measure/document_host.h"
#include "measure/event_log.h"

namespace spectrel {

struct StoreNotes {
  EventLog& Log;
  DocumentHost& Host;

  void Read(const DayRead& read) const;
  void Save(const DaySave& save) const;
  void HeldDays(const std::vector<StoreOutcome::HeldDay>& days) const;
  void UnitChanged(const UnitChange& change) const;
  // At the end: spooled points wait in the spool at spoolPath for the next start; lost ones,
  // held only in memory, are gone.
  void HeldAtEnd(std::size_t spooled, std::size_t lost, const std::string& spoolPath) const;
};

}  // namespace spectrel
