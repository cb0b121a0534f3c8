#include <cstdio>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "instrument.h"
#include "protocol.h"
#include "pty_line.h"
#include "sky.h"
#include "solmet_sim.h"

namespace solmet_sim {
namespace {

constexpr double kBytesPerSecond = 3840.0;  // 38400 baud, 10 bits per byte
constexpr std::size_t kChunk = 16;          // bytes written per pacing step (about 4 ms)
constexpr std::size_t kLongestLine = 4096;  // a command longer than this is noise; drop it

}  // namespace

struct SimulatedSensor::Impl {
  explicit Impl(SensorConfig c)
      : Config(std::move(c)),
        Device(Config.Model),
        Protocol(Device, Config.Serial, Config.Seed),
        FaultKind(Config.FaultKind),
        LightKind(Config.LightKind),
        Firmware(Config.Firmware) {}

  void Run();
  // Inside the configured span of silence.
  bool Silent() const;
  bool Send(const std::string& bytes);
  Conditions Snapshot() const;

  const SensorConfig Config;
  const Instrument Device;
  SensorProtocol Protocol;       // used by the worker only

  mutable std::mutex Lock;       // guards the fields below
  Fault FaultKind;
  Light LightKind;
  std::string Firmware;
  std::vector<std::string> Received;
  std::vector<std::int16_t> LastOpen, LastClosed;
  std::string Path;
  std::vector<std::string> Links;

  PtyLine Line;                  // the worker's while it runs
  std::unique_ptr<StopSignal> Stop;
  std::thread Worker;
  SteadyTime LineFreeAt{};       // when the last paced byte has left the line
  SteadyTime StartedAt{};        // when Start opened the line
};

Conditions SimulatedSensor::Impl::Snapshot() const {
  Conditions c;
  {
    std::lock_guard<std::mutex> hold(Lock);
    c.FaultKind = FaultKind;
    c.LightKind = LightKind;
    c.Firmware = Firmware;
  }
  c.PeakCounts = Config.PeakCounts;
  c.SecondsOfDay = Config.TimeOfDay >= 0 ? Config.TimeOfDay : LocalSecondsOfDay();
  return c;
}

bool SimulatedSensor::Impl::Silent() const {
  const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - StartedAt).count();
  return since >= Config.SilentFromMs && since < Config.SilentUntilMs;
}

bool SimulatedSensor::Impl::Send(const std::string& bytes) {
  if (!Config.Paced) return Line.Write(bytes.data(), bytes.size(), *Stop);
  // Each chunk leaves when the line would have finished sending it, counted from the moment the
  // line was free, so the mean rate stays at the baud rate however long the sleeps overrun.
  const auto now = std::chrono::steady_clock::now();
  const SteadyTime start = LineFreeAt > now ? LineFreeAt : now;
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const std::size_t n = std::min(kChunk, bytes.size() - sent);
    const auto due = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                 std::chrono::duration<double>((sent + n) / kBytesPerSecond));
    if (!Stop->SleepUntil(due)) return false;
    if (!Line.Write(bytes.data() + sent, n, *Stop)) return false;
    sent += n;
    LineFreeAt = due;
  }
  return true;
}

void SimulatedSensor::Impl::Run() {
  std::string pending;
  while (Line.Read(pending, *Stop) == ReadResult::Data) {
    for (auto cr = pending.find('\r'); cr != std::string::npos; cr = pending.find('\r')) {
      const std::string command = pending.substr(0, cr);
      pending.erase(0, cr + 1);
      {
        std::lock_guard<std::mutex> hold(Lock);
        Received.push_back(command);
      }
      if (Silent()) continue;
      const Answer answer = Protocol.Respond(command, Snapshot());
      if (answer.DelayMs > 0) {  // a spectrum was taken
        std::lock_guard<std::mutex> hold(Lock);
        (Protocol.ShutterOpen() ? LastOpen : LastClosed) = Protocol.LastSpectrum();
      }
      if (answer.HangUp) {
        Line.Close();
        return;
      }
      if (Config.Paced && answer.DelayMs > 0 &&
          !Stop->SleepUntil(std::chrono::steady_clock::now() +
                            std::chrono::milliseconds(answer.DelayMs))) {
        return;
      }
      if (!answer.Bytes.empty() && !Send(answer.Bytes)) return;
    }
    if (pending.size() > kLongestLine) pending.clear();
  }
}

SimulatedSensor::SimulatedSensor(SensorConfig config)
    : P(std::make_unique<Impl>(std::move(config))) {}

SimulatedSensor::~SimulatedSensor() {
  Stop();
  for (const auto& link : P->Links) unlink(link.c_str());
}

bool SimulatedSensor::Start() {
  if (P->Worker.joinable()) return true;
  P->Stop = std::make_unique<StopSignal>();
  if (!P->Stop->Valid() || !P->Line.Open()) return false;
  {
    std::lock_guard<std::mutex> hold(P->Lock);
    P->Path = P->Line.SlavePath();
  }
  P->StartedAt = std::chrono::steady_clock::now();
  P->Worker = std::thread([impl = P.get()] { impl->Run(); });
  return true;
}

void SimulatedSensor::Stop() {
  if (!P->Worker.joinable()) return;
  P->Stop->Notify();
  P->Worker.join();
  P->Line.Close();
}

std::string SimulatedSensor::DevicePath() const {
  std::lock_guard<std::mutex> hold(P->Lock);
  return P->Path;
}

bool SimulatedSensor::LinkAs(const std::string& linkPath) {
  const std::string target = DevicePath();
  if (target.empty()) return false;
  unlink(linkPath.c_str());  // a link left by an earlier run
  if (symlink(target.c_str(), linkPath.c_str()) != 0) return false;
  std::lock_guard<std::mutex> hold(P->Lock);
  P->Links.push_back(linkPath);
  return true;
}

std::vector<std::string> SimulatedSensor::Commands() const {
  std::lock_guard<std::mutex> hold(P->Lock);
  return P->Received;
}

void SimulatedSensor::ClearCommands() {
  std::lock_guard<std::mutex> hold(P->Lock);
  P->Received.clear();
}

void SimulatedSensor::SetFault(Fault fault) {
  std::lock_guard<std::mutex> hold(P->Lock);
  P->FaultKind = fault;
}

void SimulatedSensor::SetLight(Light light) {
  std::lock_guard<std::mutex> hold(P->Lock);
  P->LightKind = light;
}

void SimulatedSensor::SetFirmware(const std::string& firmware) {
  std::lock_guard<std::mutex> hold(P->Lock);
  P->Firmware = firmware;
}

std::vector<std::string> SimulatedSensor::Coefficients() const { return P->Device.Coefficients(); }
std::vector<float> SimulatedSensor::Calibration() const { return P->Device.Calibration(); }
std::vector<std::uint8_t> SimulatedSensor::PixelMap() const { return P->Device.PixelMap(); }
std::string SimulatedSensor::SensorId() const { return P->Protocol.Identity(); }
std::string SimulatedSensor::SerialNo() const { return P->Protocol.Serial(); }
std::vector<std::string> SimulatedSensor::StatusTokens() const { return P->Protocol.StatusTokens(); }

std::vector<std::int16_t> SimulatedSensor::LastCounts(bool shutterOpen) const {
  std::lock_guard<std::mutex> hold(P->Lock);
  return shutterOpen ? P->LastOpen : P->LastClosed;
}

}  // namespace solmet_sim
