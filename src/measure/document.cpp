// The document's life: construction, destruction and the accessors the views use.
#include "measure/spectrel_doc.h"

#include <stdexcept>

#include "measure/status_texts.h"

namespace spectrel {

CSpectrelDoc::CSpectrelDoc(AppSettings& settings, DocumentHost& host, const Clock& clock)
    : SettingsRef(settings),
      Host(host),
      ClockRef(clock),
      Lang(ProcessLanguage()),
      Sr101(clock),
      Sr102(clock),
      Sr103(clock),
      Sr104(clock),
      StationWatch(settings, clock) {
  for (auto& stale : StaleMeasurement) stale.store(false);
  for (int i = 0; i < ModelCount; ++i) Driver(i).SetStopFlag(&StopWaits);
  StationWatch.SetReconnectCounter([this] { return ReconnectCount.load(); });
  WriteLog("APP START");
  // The interval dialog belongs to the host and starts hidden there.
  Texts.Integral.clear();
  Texts.Time.clear();
}

CSpectrelDoc::~CSpectrelDoc() {
  // The host keeps the program open while measuring; should the document go all the same, the
  // workers are stopped and waited for before anything they touch is destroyed.
  if (MeasuringFlag.load() || RunThread.joinable() || !InfoThreads.empty()) StopNow();
  for (SensorSupervisor& supervisor : Supervisors) supervisor.Join();
  // Points held after failed saves live only in memory: said once more, as they go.
  if (!Unsaved.empty()) {
    WriteLog("ERROR KRF LOST " + std::to_string(Unsaved.size()));
    Host.ReportError("not stored: " + std::to_string(Unsaved.size()) +
                     " points could not be written to their day file and are lost");
  }
  WriteLog("APP CLOSE");
  // The drivers close their ports in their destructors, SR-104 first.
}

bool CSpectrelDoc::RunActive() const {
  return RunThread.joinable() && !RunFinished.load();
}

std::string CSpectrelDoc::StatusText(int model) const {
  if (!ValidModel(model)) return {};
  std::lock_guard<std::mutex> lock(StatusMutex);
  return StatusTexts[static_cast<size_t>(model)];
}

void CSpectrelDoc::SetStatusText(int model, const std::string& text) {
  std::lock_guard<std::mutex> lock(StatusMutex);
  StatusTexts[static_cast<size_t>(model)] = text;
}

bool CSpectrelDoc::SensorReconnecting(int model) const {
  return ValidModel(model) && Supervisors[static_cast<size_t>(model)].Reconnecting();
}

CSensorDriver& CSpectrelDoc::Driver(int model) {
  switch (model) {
    case SR101: return Sr101;
    case SR102: return Sr102;
    case SR103: return Sr103;
    case SR104: return Sr104;
    default: throw std::invalid_argument("model index outside 0..3");
  }
}

}  // namespace spectrel
