// The web server on the loopback, over real HTTP. Targets: /metrics and /api/status answered in
// under 5 ms; the page's data of a 1440-point day (the day's points, its spectrogram and the last
// point's spectrum) in under 100 ms, read afresh after a cycle changed the day file; and 100
// clients at once beside a running simulated station without changing its cycle time (from the
// interval boundary to the point in the day file), quiet against loaded medians.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
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
                                                               {"SR-103", true, "Measurement OK", 200, 210.0}}};
    status.Counters = {1440, 1440, 0, 0, 0};
    std::ofstream(StationStatusPath(Dir)) << StationStatusJson(status);
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
  CKrfData day;
  LoadKrf(day, d.DayFile);
  CRad next = *day.LastRad();
  int last = day.RadCount() - 1;
  std::size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (state.range(0) == 1) {
      next.MeasureTime += 1;
      last += AppendKrf(day, d.DayFile, next);
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
    ::setenv("TZ", "UTC", 1);   // the day file's name below is the UTC date
    std::ofstream(Dir + "p.ini") << "[INT]\nSTART=0\nEND=86399\nINT=2\n";
    Pid = ::fork();
    if (Pid == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::execl(SPECTREL_CLI, SPECTREL_CLI, "run", "--simulate", "--unpaced", "--data", Dir.c_str(), "--profile",
              (Dir + "p.ini").c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
  }
  ~RunningStation() {
    ::kill(Pid, SIGTERM);
    ::waitpid(Pid, nullptr, 0);
  }
  // Milliseconds from each interval boundary to its point reaching the day file, for n cycles.
  std::vector<double> CycleTimes(int n) {
    std::vector<double> times;
    std::int64_t lastNs = 0;
    const auto give = std::chrono::steady_clock::now() + std::chrono::seconds(4 * n + 10);
    while (static_cast<int>(times.size()) < n && std::chrono::steady_clock::now() < give) {
      struct stat st{};
      const std::string day = Dir + FormatDay();
      if (::stat(day.c_str(), &st) == 0) {
        const std::int64_t ns = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
        if (lastNs != 0 && ns != lastNs) times.push_back(static_cast<double>(ns % 2000000000LL) / 1e6);
        lastNs = ns;
      }
      std::this_thread::sleep_for(2ms);
    }
    return times;
  }
  static std::string FormatDay() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char name[32];
    std::strftime(name, sizeof name, "%Y/%Y%m%d.KRF", &utc);
    return name;
  }
  std::string Dir;
  pid_t Pid = -1;
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The station's cycle time quiet, then with 100 clients asking the server for everything the page
// asks for, over and over; the server (this process) runs at the unit file's lower priority.
void BM_HundredClientsBesideStation(benchmark::State& state) {
  char pattern[] = "/tmp/spectrel_bench_station.XXXXXX";
  const std::string dir = std::string(::mkdtemp(pattern)) + "/";
  RunningStation station(dir);
  ::setpriority(PRIO_PROCESS, 0, 10);   // Nice=10 of spectrel-web.service
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
    const std::string today = RunningStation::FormatDay().substr(5, 8);
    for (int c = 0; c < 100; ++c)
      clients.emplace_back([&] {
        const char* paths[] = {"/api/status", "/metrics", "/api/latest", "/api/days"};
        for (int i = 0; !stop; ++i) {
          const std::string path = i % 5 == 4 ? "/api/days/" + today : paths[i % 4];
          served += !Get(port, path).empty();
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
  ::setpriority(PRIO_PROCESS, 0, 0);
  server.Stop();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_HundredClientsBesideStation)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
