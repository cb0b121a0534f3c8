// The web's one adapter onto the station's files: day-file reader, file names, status file, the
// 1 nm grid, the integral, quality flags and the sun. Nothing else in src/web includes them.
#include "web/station_data.h"

#include <sys/timex.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "archive/day_grid.h"
#include "archive/quality_flags.h"
#include "archive/site_position.h"
#include "archive/solar_position.h"
#include "base/day_times.h"
#include "base/local_day.h"
#include "base/local_time.h"
#include "base/station_zone.h"
#include "files/day_load.h"
#include "files/day_part_name.h"
#include "files/krf_file.h"
#include "files/station_names.h"
#include "sensor/status_report.h"
#include "spectrum/resample.h"

namespace spectrel::web {

namespace fs = std::filesystem;

struct DayView::Impl {
  std::vector<std::shared_ptr<const CKrfData>> Parts;    // the day's header with runs of its points, in file order
  std::vector<std::pair<std::size_t, int>> PointAt;      // per point: its part and its index there
  std::vector<std::int64_t> Clocks;                      // every point's clock reading, in file order
  std::size_t ReadUpTo = 0;                              // bytes of the file read, up to its last complete block
  int ReadPart = 1;                                      // the part of the day that file is
  AppSettings Settings;                                  // integral range and report options of the station
};

std::shared_ptr<const std::string> DayView::Body(const std::string& key,
                                                 const std::function<std::string()>& make) const {
  {
    std::lock_guard hold(BodiesGuard);
    if (const auto it = Bodies.find(key); it != Bodies.end()) return it->second;
  }
  auto body = std::make_shared<const std::string>(make());
  std::lock_guard hold(BodiesGuard);
  if (Bodies.size() >= KeptBodies) {   // a clicked point gives way; the day and its spectrogram stay
    const auto point = Bodies.lower_bound("point");
    Bodies.erase(point != Bodies.end() && point->first.rfind("point", 0) == 0 ? point : Bodies.begin());
  }
  return Bodies.emplace(key, body).first->second;
}

DayView::DayView() : Data(std::make_unique<Impl>()) {}
DayView::~DayView() = default;

namespace {

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool Digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Each model's own pixels in point j.
std::vector<SensorCurve> SensorCurves(const CKrfData& day, int j) {
  std::vector<SensorCurve> curves;
  for (int model = SR101; model <= SR104; ++model) {
    const SensorMeasurement* block = day.Block(model, j);
    const SensorInfo* info = day.Info(model);
    if (block == nullptr || info == nullptr) continue;
    SensorCurve curve;
    curve.Model = ModelName(model);
    curve.ExposureMs = block->ExposureMs;
    const std::size_t pixels = std::min({info->Wavelength.size(), info->Calib.size(), block->Light.size(),
                                         block->Dark.size()});
    for (std::size_t k = 0; k < pixels; ++k) {
      curve.WavelengthNm.push_back(info->Wavelength[k]);
      curve.Irradiance.push_back(static_cast<float>(PixelIrradiance(*block, *info, static_cast<int>(k))));
    }
    curves.push_back(std::move(curve));
  }
  return curves;
}

}  // namespace

StationFolders FoldersOf(const AppSettings& settings, const std::string& netCdfFolder) {
  StationFolders folders;
  folders.Data = WithSlash(settings.KrfFolder.empty() ? "./" : settings.KrfFolder);
  folders.Csv = WithSlash(settings.CsvFolder.empty() ? folders.Data : settings.CsvFolder);
  folders.NetCdf = netCdfFolder.empty() ? folders.Data : WithSlash(netCdfFolder);
  return folders;
}

namespace {

// The date of "YYYYMMDD" when it is a real one.
std::optional<spectrel::LocalDate> DateOf(std::string_view date) {
  const auto parsed = spectrel::ParseStationFileName(std::string(date) + ".KRF");
  if (!parsed || parsed->Date.Text() != date) return std::nullopt;
  return parsed->Date;
}

}  // namespace

bool IsDayDate(std::string_view date) { return DateOf(date).has_value(); }

std::optional<StationFileName> ParseStationFileName(std::string_view name) {
  const auto parsed = spectrel::ParseStationFileName(name);
  if (!parsed || NameOf(*parsed) != name) return std::nullopt;   // only the station's own spelling
  FileKind kind = FileKind::DayFile;
  switch (parsed->Kind) {
    case StationFile::DayFile: break;
    case StationFile::HourCsv: kind = FileKind::HourCsv; break;
    case StationFile::NetCdfDay: kind = FileKind::NetCdfDay; break;
    case StationFile::EventLog:
    case StationFile::StatusFile: return std::nullopt;
  }
  return StationFileName{kind, parsed->Date.Text(), RelativePathOf(*parsed), parsed->Part};
}

const std::string& FolderOf(const StationFolders& folders, FileKind kind) {
  switch (kind) {
    case FileKind::HourCsv: return folders.Csv;
    case FileKind::NetCdfDay: return folders.NetCdf;
    case FileKind::DayFile: break;
  }
  return folders.Data;
}

std::string DayFileName(const std::string& date) {
  return NameOf({StationFile::DayFile, DateOf(date).value_or(spectrel::LocalDate{}), 0});
}
std::string NetCdfFileName(const std::string& date) {
  return NameOf({StationFile::NetCdfDay, DateOf(date).value_or(spectrel::LocalDate{}), 0});
}

std::vector<DayListing> ListDays(const StationFolders& folders) {
  std::map<std::string, DayListing, std::greater<>> days;
  const auto scan = [&](const std::string& folder, FileKind kind) {
    std::error_code ec;
    for (const auto& year : fs::directory_iterator(folder, ec)) {
      const std::string yearName = year.path().filename().string();
      std::error_code link;
      // A year folder that is a link may lead out of the station's folder: not even listed.
      if (yearName.size() != 4 || !Digits(yearName) || year.is_symlink(link)) continue;
      std::error_code inner;
      for (const auto& file : fs::directory_iterator(year.path(), inner)) {
        const std::string fileName = file.path().filename().string();
        const auto parsed = ParseStationFileName(fileName);
        if (!parsed || parsed->Kind != kind || parsed->RelativePath != yearName + "/" + fileName) continue;
        // The day is its day file; the hours of a part of it (another sensor unit) are its CSV files.
        if (kind == FileKind::DayFile && parsed->Part >= 2) continue;
        DayListing& day = days[parsed->Date];
        day.Date = parsed->Date;
        if (kind == FileKind::DayFile) {
          day.HasDayFile = true;
          std::error_code size;
          day.DayFileBytes = static_cast<std::int64_t>(file.file_size(size));
        } else if (kind == FileKind::HourCsv) {
          day.CsvFiles.push_back(fileName);
        } else {
          day.HasNetCdf = true;
        }
      }
    }
  };
  scan(folders.Data, FileKind::DayFile);
  scan(folders.Csv, FileKind::HourCsv);
  scan(folders.NetCdf, FileKind::NetCdfDay);
  std::vector<DayListing> list;
  for (auto& [date, day] : days) {
    std::sort(day.CsvFiles.begin(), day.CsvFiles.end());
    list.push_back(std::move(day));
  }
  return list;
}

StatusReading ReadStationStatus(const StationFolders& folders) {
  StatusReading reading;
  const std::string path = StatusFilePath(folders.Data);
  StatusFileRead read = ReadStationStatusFile(path);
  reading.Status = std::move(read.Status);
  reading.Error = read.Missing ? "no station status at " + path : read.Error;
  return reading;
}

StationVerdict JudgeStatus(const StationStatus& status, std::int64_t now) {
  return JudgeStation(status, now, RunnerAlive(status));
}

const char* StateName(StationState state) { return StationStateName(state); }

bool WindowOpen(const StationStatus& status, std::int64_t now) {
  if (status.State != StationState::Measuring || !status.IntervalMode) return false;
  const std::int64_t second = SecondOfDay(now);
  return second >= status.WindowStart && second <= status.WindowEnd;
}

std::int64_t WindowOpened(const StationStatus& status, std::int64_t now) {
  return LocalMidnight(now) + status.WindowStart;
}

std::optional<bool> ClockSynchronised() {
  timex tx{};   // modes 0: only read the kernel's time status
  const int state = ::adjtimex(&tx);
  if (state < 0) return std::nullopt;
  return state != TIME_ERROR && (tx.status & STA_UNSYNC) == 0;
}

std::string ModelName(int model) {
  return ValidModel(model) ? std::string(Models[static_cast<std::size_t>(model)].Name) : std::string();
}

namespace {

// Adds the points of part (the day's header with a run of its points) to the view: their times
// from all the day's clock readings so far, their grid rows, integrals and quality flags.
void AddPart(DayView& view, std::shared_ptr<const CKrfData> part, const std::vector<std::int64_t>& partClocks) {
  DayView::Impl& data = *view.Data;
  const AppSettings& settings = data.Settings;
  data.Clocks.insert(data.Clocks.end(), partClocks.begin(), partClocks.end());
  std::optional<StationZone> zone = settings.SiteZone.empty() ? std::nullopt : StationZone::Named(settings.SiteZone);
  if (!zone) zone = StationZone::Process();
  const DayTimes times = DayTimesToUtc(data.Clocks, part->TimeZone, zone);
  for (const std::string& warning : times.Warnings) view.Warning += (view.Warning.empty() ? "" : "; ") + warning;

  archive::GridOptions options;
  options.FromNm = static_cast<int>(std::floor(settings.Graph.GraphLeft));
  options.ToNm = std::max(options.FromNm, static_cast<int>(std::ceil(settings.Graph.GraphRight)));
  options.IntegFrom = settings.IntegFrom;
  options.IntegTo = settings.IntegTo;
  archive::DayGrid grid = archive::ComputeDayGrid(*part, options);
  const std::optional<archive::SitePosition> site = archive::ReadSitePosition(*part);
  std::optional<archive::SunTracker> sun;
  if (site) sun.emplace(site->LatitudeDeg, site->LongitudeDeg, site->AltitudeM.value_or(0.0));
  for (std::size_t p = 0; p < view.Points.size(); ++p) view.Points[p].Utc = times.Utc[p];
  const std::size_t first = view.Points.size();
  for (int j = 0; j < part->RadCount(); ++j) {
    const CRad& rad = part->Rad(j);
    DayPoint point;
    point.Utc = times.Utc[first + static_cast<std::size_t>(j)];
    point.Clock = data.Clocks[first + static_cast<std::size_t>(j)];
    point.IntegralWm2 = grid.Integral[static_cast<std::size_t>(j)];
    std::optional<double> zenith;
    if (sun) zenith = sun->At(point.Utc).ZenithDeg;
    point.QualityFlags = archive::QualityFlags(*part, j, grid, zenith);
    for (int model = SR101; model <= SR104; ++model)
      if (rad.Block(model) != nullptr) point.Models = static_cast<std::uint8_t>(point.Models | (1u << model));
    view.Points.push_back(point);
    data.PointAt.push_back({data.Parts.size(), j});
  }
  view.FromNm = grid.FromNm;
  view.Width = grid.Width;
  view.Grid.insert(view.Grid.end(), grid.Spectrum.begin(), grid.Spectrum.end());
  data.Parts.push_back(std::move(part));
}

}  // namespace

std::shared_ptr<const DayView> MakeDayView(const std::string& date, const std::string& path,
                                           const AppSettings& settings, std::string& error) {
  std::shared_ptr<DayView> view(new DayView());
  view->Data->Settings = settings;
  LoadedDay loaded = LoadDay(path, std::nullopt, KrfReadMode::Salvage);
  if (!loaded.Loaded()) {
    error = loaded.ErrorText();
    return nullptr;
  }
  const KrfReadReport& report = loaded.Read;
  if (report.TailDamaged || report.DroppedPoints > 0)
    view->Warning = "the day file is damaged; " + std::to_string(loaded.Set.RadCount()) + " points read";
  auto day = std::make_shared<CKrfData>(std::move(loaded.Set));
  view->Data->ReadUpTo = report.CompleteEnd;
  view->Date = date;
  view->SiteName = day->SiteName;
  view->SiteLat = day->SiteLat;
  view->SiteLon = day->SiteLon;
  view->SiteAlt = day->SiteAlt;
  view->TimeZone = day->TimeZone;
  view->IntegFromNm = settings.IntegFrom;
  view->IntegToNm = settings.IntegTo;
  AddPart(*view, std::move(day), loaded.Clocks);
  // A day whose sensor unit changed goes on in its parts, each read over its own records.
  const int parts = LatestDayPart(path);
  for (int n = 2; n <= parts; ++n) {
    LoadedDay more = LoadDay(DayPartPath(path, n), std::nullopt, KrfReadMode::Salvage);
    const std::string which = "part " + std::to_string(n) + " of the day";
    const auto warn = [&view](const std::string& text) { view->Warning += (view->Warning.empty() ? "" : "; ") + text; };
    if (!more.Loaded()) {
      warn(which + ": " + more.ErrorText());
      view->Data->ReadPart = 0;   // not the file the station appends to: never extended in place
      break;
    }
    if (more.Read.TailDamaged || more.Read.DroppedPoints > 0)
      warn(which + " is damaged; " + std::to_string(more.Set.RadCount()) + " points read");
    view->Data->ReadUpTo = more.Read.CompleteEnd;
    view->Data->ReadPart = n;
    AddPart(*view, std::make_shared<CKrfData>(std::move(more.Set)), more.Clocks);
  }
  return view;
}

std::shared_ptr<const DayView> ExtendDayView(const DayView& old, const std::string& path) {
  const DayView::Impl& was = *old.Data;
  if (was.ReadPart != DayPartOf(path)) return nullptr;
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(was.ReadUpTo));
  std::ostringstream tail;
  tail << in.rdbuf();
  if (!in && !in.eof()) return nullptr;
  // The appended points alone, read as a day file of their own over the day's header.
  auto part = std::make_shared<CKrfData>(was.Parts.back()->Header());   // the records of the file read
  KrfReadReport report;
  try {
    if (!LoadKrfFromBytes(*part, "HD_KRF,100\nHD_KRF_END\n" + tail.str(), &report, KrfReadMode::Salvage))
      return nullptr;
  } catch (const std::exception&) {
    return nullptr;
  }
  if (report.DroppedPoints > 0) return nullptr;
  std::shared_ptr<DayView> view(new DayView());
  view->Date = old.Date;
  view->SiteName = old.SiteName;
  view->SiteLat = old.SiteLat;
  view->SiteLon = old.SiteLon;
  view->SiteAlt = old.SiteAlt;
  view->TimeZone = old.TimeZone;
  view->IntegFromNm = old.IntegFromNm;
  view->IntegToNm = old.IntegToNm;
  view->Warning = old.Warning;
  view->Points = old.Points;
  view->Grid = old.Grid;
  DayView::Impl& now = *view->Data;
  now.Settings = was.Settings;
  now.Parts = was.Parts;
  now.PointAt = was.PointAt;
  now.Clocks = was.Clocks;
  const std::size_t header = std::string_view("HD_KRF,100\nHD_KRF_END\n").size();
  now.ReadUpTo = was.ReadUpTo + (report.CompleteEnd > header ? report.CompleteEnd - header : 0);
  now.ReadPart = was.ReadPart;
  AddPart(*view, std::move(part), report.PointClocks);
  return view;
}

bool ComputePointSpectrum(const DayView& view, int index, PointSpectrum& out) {
  if (index < 0 || static_cast<std::size_t>(index) >= view.Data->PointAt.size()) return false;
  const auto [part, j] = view.Data->PointAt[static_cast<std::size_t>(index)];
  const CKrfData& day = *view.Data->Parts[part];
  const AppSettings& settings = view.Data->Settings;
  const ReportOptions options{settings.DispMode == DisplayMode::Detailed, settings.IntegFrom, settings.IntegTo};
  CResample display;
  ReportTexts english, japanese;
  try {
    BuildReport(day, j, options, display, english, Language::English);
    BuildReport(day, j, options, display, japanese, Language::Japanese);
  } catch (const std::invalid_argument&) {
    return false;   // a time the C library cannot turn into local time
  }
  out.Utc = view.Points[static_cast<std::size_t>(index)].Utc;
  out.Memo = day.Rad(j).Memo;
  out.StartNm = display.StartNm;
  out.EndNm = display.EndNm;
  out.Values = display.Values;
  out.MaxValue = display.MaxValue;
  out.Sensors = SensorCurves(day, j);
  out.IntegralText = english.Integral;
  out.ReportEnglish = english.Report;
  out.ReportJapanese = japanese.Report;
  return true;
}

std::string UtcText(std::int64_t t) {
  const std::time_t time = static_cast<std::time_t>(t);
  std::tm utc{};
  if (::gmtime_r(&time, &utc) == nullptr) return {};
  char text[32];
  return std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) > 0 ? text : "";
}

std::string ClockText(std::int64_t clock, std::int64_t utc) {
  const std::int64_t offset = clock - utc;
  const std::int64_t minutes = (offset < 0 ? -offset : offset) / 60;
  char zone[32];
  std::snprintf(zone, sizeof zone, "%c%02lld:%02lld", offset < 0 ? '-' : '+', static_cast<long long>(minutes / 60),
                static_cast<long long>(minutes % 60));
  return FormatClock(clock, "%Y-%m-%dT%H:%M:%S") + zone;
}

std::string LocalText(std::int64_t t) { return ClockText(StationZone::Process().ClockAt(t), t); }

std::string LocalDate(std::int64_t t) { return FormatLocal(t, "%Y%m%d"); }

}  // namespace spectrel::web
