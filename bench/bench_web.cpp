// The web server on the loopback, over real HTTP. Targets: /metrics and /api/status answered in
// under 5 ms; the page's data of a 1440-point day (the day's points, its spectrogram and the last
// point's spectrum) in under 100 ms, read afresh after a cycle changed the day file; and 100
// clients at once beside a running simulated station without changing its cycle time (from the
// interval boundary to the runner's line saying the point is stored), quiet against loaded medians.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "files/krf_file.h"
#include "measure/station_status.h"
#include "support/synthetic_day.h"
#include "web/http_server.h"
#include "web/routes.h"

namespace {

using namespace spectrel;
using namespace std::chrono_literals;

constexpr std::int64_t Midnight = 1717200000;   // 2024-06-01 00:00 UTC
constexpr int DayPoints = 1440;                   // one point a minute

// One HTTP GET on a fresh connection; the bytes of the answer (empty on failure).
std::string Get(int port, const std::string& path) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: b\r\nConnection: close\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buffer[65536];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return answer;
}

// A data folder with a 1440-point day of SR-101 and SR-103 and a status file, served on the
// loopback for the whole program.
struct ServedDay {
  ServedDay() {
    ::setenv("TZ", "UTC", 1);
    char pattern[] = "/tmp/spectrel_bench_web.XXXXXX";
    if (::mkdtemp(pattern)) Dir = std::string(pattern) + "/";
    std::filesystem::create_directories(Dir + "2024");
    DayFile = Dir + "2024/20240601.KRF";
    SaveKrf(testing::MakeDay({SR101, SR103}, DayPoints, Midnight, 60), DayFile);
    StationStatus status;
    status.Pid = ::getpid();
    status.State = StationState::Measuring;
    status.IntervalMode = true;
    status.IntervalSeconds = 60;
    status.WindowEnd = 86399;
    status.LastCycle = CycleStatus{Midnight + 86340, true, "", {{"SR-101", true, "Measurement OK", 100, 512.0},
                                                               {"SR-103", true, "Measurement OK", 200, 210.0}},
                                  std::nullopt};
    status.Counters = {1440, 1440, 0, 0, 0};
    std::ofstream(StatusFilePath(Dir)) << StationStatusJson(status);
    Settings.KrfFolder = Settings.CsvFolder = Dir;
    Station = std::make_unique<web::StationSource>(Settings, web::FoldersOf(Settings, ""));
    Server = std::make_unique<web::HttpServer>(
        [this](const web::Request& r) { return web::Route(*Station, r, Midnight + 86350); }, web::ServerLimits{},
        std::nullopt);
    std::string error;
    Server->Start(*web::ParseListenAddress("127.0.0.1:0", error), error);
    Port = Server->Port();
  }
  ~ServedDay() {
    Server.reset();
    std::filesystem::remove_all(Dir);
  }
  std::string Dir, DayFile;
  AppSettings Settings;
  std::unique_ptr<web::StationSource> Station;
  std::unique_ptr<web::HttpServer> Server;
  int Port = 0;
};

ServedDay& Served() {
  static ServedDay day;
  return day;
}

void BM_Metrics(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Get(Served().Port, "/metrics"));
}
BENCHMARK(BM_Metrics)->Unit(benchmark::kMillisecond);

void BM_Status(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Get(Served().Port, "/api/status"));
}
BENCHMARK(BM_Status)->Unit(benchmark::kMillisecond);

// The three answers the page asks for after a cycle: the day's points, its spectrogram and the
// last point's spectrum. Arg 1: a point was appended to the day file before each round, as the
// station does every cycle; 2: the whole day read by a server that has not read it before (the
// first visit of an old day); 0: nothing changed since the last round.
void BM_DayPageData(benchmark::State& state) {
  ServedDay& d = Served();
  CKrfData day = testing::MakeDay({SR101, SR103}, DayPoints, Midnight, 60);
  SaveKrf(day, d.DayFile);                            // 1440 points again, read once untimed
  Get(d.Port, "/api/days/20240601");
  CRad next = *day.LastRad();
  int last = day.RadCount() - 1;
  std::size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (state.range(0) == 1) {
      next.MeasureTime += 1;
      if (AppendKrf(day, d.DayFile, next)) ++last;
    } else if (state.range(0) == 2) {
      d.Station = std::make_unique<web::StationSource>(d.Settings, web::FoldersOf(d.Settings, ""));
    }
    state.ResumeTiming();
    bytes = Get(d.Port, "/api/days/20240601").size() + Get(d.Port, "/api/days/20240601/spectrogram").size() +
            Get(d.Port, "/api/days/20240601/points/" + std::to_string(last)).size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_DayPageData)->Arg(1)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond);

// A simulated station measuring every 2 s into its own folder, run as the operator runs it.
struct RunningStation {
  explicit RunningStation(const std::string& dir) : Dir(dir) {
    ::setenv("TZ", "UTC", 1);   // boundaries on whole multiples of 2 s since 1970
    std::ofstream(Dir + "p.ini") << "[INT]\nSTART=0\nEND=86399\nINT=2\n";
    int out[2];
    if (::pipe(out) != 0) return;
    Pid = ::fork();
    if (Pid == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(out[1], 1);
      ::dup2(null, 2);
      // The runner must not hold its own pipe's reading end: with this benchmark gone it would
      // fill the pipe and wait on it for ever instead of finding no reader.
      ::close(out[0]);
      ::close(out[1]);
      ::execl(SPECTREL_CLI, SPECTREL_CLI, "run", "--simulate", "--unpaced", "--data", Dir.c_str(), "--profile",
              (Dir + "p.ini").c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    Out = out[0];
  }
  ~RunningStation() {
    ::kill(Pid, SIGTERM);
    ::waitpid(Pid, nullptr, 0);
    ::close(Out);
  }
  // Milliseconds from each interval boundary to the runner's line saying its point is stored,
  // for n cycles.
  std::vector<double> CycleTimes(int n) {
    std::vector<double> times;
    std::string pending;
    char buffer[4096];
    while (static_cast<int>(times.size()) < n) {
      const ssize_t got = ::read(Out, buffer, sizeof buffer);
      if (got <= 0) break;
      const auto now = std::chrono::system_clock::now().time_since_epoch();
      const double intoInterval =
          static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(now).count() % 2000000) / 1000.0;
      pending.append(buffer, static_cast<std::size_t>(got));
      for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
        if (pending.substr(0, end).find(" stored ") != std::string::npos) times.push_back(intoInterval);
    }
    return times;
  }
  static std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char name[16];
    std::strftime(name, sizeof name, "%Y%m%d", &utc);
    return name;
  }
  std::string Dir;
  pid_t Pid = -1;
  int Out = -1;   // the runner's output
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The station's cycle time quiet, then with 100 clients each asking what the page asks. The server (this process) runs as the unit file runs it, in the idle
// scheduling class; so do the clients here, which on a station's network are other machines.
void BM_HundredClientsBesideStation(benchmark::State& state) {
  char pattern[] = "/tmp/spectrel_bench_station.XXXXXX";
  const std::string dir = std::string(::mkdtemp(pattern)) + "/";
  RunningStation station(dir);
  const sched_param none{};
  ::sched_setscheduler(0, SCHED_IDLE, &none);   // CPUSchedulingPolicy=idle of spectrel-web.service
  AppSettings settings;
  settings.KrfFolder = settings.CsvFolder = dir;
  web::StationSource source(settings, web::FoldersOf(settings, ""));
  web::HttpServer server([&](const web::Request& r) { return web::Route(source, r, std::time(nullptr)); },
                         web::ServerLimits{}, std::nullopt);
  std::string error;
  server.Start(*web::ParseListenAddress("127.0.0.1:0", error), error);
  const int port = server.Port();
  station.CycleTimes(2);   // settled
  for (auto _ : state) {
    const double quiet = Median(station.CycleTimes(8));
    std::atomic<bool> stop{false};
    std::atomic<long> served{0};
    std::vector<std::thread> clients;
    const std::string today = RunningStation::Today();
    // Each client does what the page does, only five times as often: the status every second,
    // and after each new cycle the latest spectrum, the day's points and its spectrogram.
    for (int c = 0; c < 100; ++c)
      clients.emplace_back([&, c] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10 * c));   // the visitors arrive apart
        std::string seen;
        while (!stop) {
          const std::string status = Get(port, "/api/status");
          const std::size_t at = status.find("\"last_cycle\"");
          const std::string cycle = at == std::string::npos ? "" : status.substr(at, 80);
          served += !status.empty();
          if (cycle != seen) {
            seen = cycle;
            for (const std::string& path : {std::string("/api/latest"), "/api/days/" + today, "/api/days/" + today + "/spectrogram"})
              served += !Get(port, path).empty();
          }
          for (int i = 0; i < 10 && !stop; ++i) std::this_thread::sleep_for(100ms);
        }
      });
    const auto started = std::chrono::steady_clock::now();
    const double loaded = Median(station.CycleTimes(8));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    stop = true;
    for (std::thread& t : clients) t.join();
    state.counters["cycle_quiet_ms"] = quiet;
    state.counters["cycle_loaded_ms"] = loaded;
    state.counters["requests_per_s"] = static_cast<double>(served) / seconds;
  }
  server.Stop();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_HundredClientsBesideStation)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
