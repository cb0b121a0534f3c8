// The document's life, the way its workers' news reaches its thread, and its state as the host
// is told it.
#include "measure/spectrel_doc.h"

#include "measure/status_texts.h"
#include "measure/store_notes.h"

namespace spectrel {

CSpectrelDoc::CSpectrelDoc(AppSettings& settings, DocumentHost& host, const StationClock& clock,
                           const PortSupply& ports)
    : SettingsRef(settings),
      Host(host),
      ClockRef(clock),
      Ports(ports),
      Lang(ProcessLanguage()),
      Log(settings, clock, [&host](const std::string& line) { host.ReportError(line); }),
      Rounds(std::make_shared<std::uint64_t>(0)),
      Store(host.ShowsWholeDay() ? DayStore::Kept::WholeDay : DayStore::Kept::Hour),
      StationWatch(settings, clock) {
  for (int model = 0; model < ModelCount; ++model)
    Links[static_cast<size_t>(model)] = std::make_unique<SensorLink>(model, clock, Workers, Lang);
  Used = Ports.ModelsInUse(SettingsRef);
  StationWatch.SetReconnectCounter([this] { return ReconnectCount; });
  StartWritten = WriteLog("APP START");
  RecoverHeldPoints();
}

CSpectrelDoc::~CSpectrelDoc() {
  // The host keeps the program open while measuring; should the document go all the same, the
  // workers are stopped and waited for before anything they touch is destroyed.
  if (Measuring() || RunThread.joinable()) StopNow();
  const std::size_t lost = Store.HeldInMemory();
  StoreNotes{Log, Host}.HeldAtEnd(Store.HeldPoints() - lost, lost, HeldSpoolPath(SettingsRef.KrfFolder));
  WriteLog("APP CLOSE");
  // The links close their ports as they go, SR-104 first.
}

std::function<void()> CSpectrelDoc::Guarded(std::uint64_t round, std::function<void()> task) {
  // A task of a measurement that has been followed by another (or of a document that is gone)
  // finds nothing to do.
  return [alive = std::weak_ptr<std::uint64_t>(Rounds), round, task = std::move(task)] {
    const auto current = alive.lock();
    if (current && *current == round) task();
  };
}

void CSpectrelDoc::Post(std::uint64_t round, std::function<void()> task) { Host.Post(Guarded(round, std::move(task))); }

SensorLink::News CSpectrelDoc::NewsOf(int model, std::uint64_t round) {
  return [this, model, round](const std::string& text, bool attemptFailed) {
    Post(round, [this, model, text, attemptFailed] {
      Links[static_cast<size_t>(model)]->SetText(text);
      ShowStatus(model, attemptFailed);
    });
  };
}

void CSpectrelDoc::ShowStatus(int model, bool attemptFailed) {
  SensorEvent event{model, Link(model).Text(), {}, attemptFailed};
  for (int i = 0; i < ModelCount; ++i)
    if (InUse(i)) event.Block += ModelDisplayName(i) + " " + Link(i).Text() + "\n";
  Host.SensorStatusChanged(event);
}

void CSpectrelDoc::SetState(MeasureState state) {
  Now = state;
  const bool interval = state == MeasureState::Interval;
  Host.StateChanged({state, state == MeasureState::Idle ? std::string()
                                                        : MeasureText(interval ? TextIntervalTitle : TextManualTitle, Lang)});
}

std::string CSpectrelDoc::StopWaitText() const {
  std::string text;
  for (int i = 0; i < ModelCount; ++i) {
    const DriverActivity activity = Link(i).Activity();
    if (activity == DriverActivity::Idle) continue;
    if (!text.empty()) text += ", ";
    text += ModelDisplayName(i) + " (" + ActivityText(activity) + ")";
  }
  return text;
}

}  // namespace spectrel
