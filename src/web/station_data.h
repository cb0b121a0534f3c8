// What the web server reads of a station, in the web's own plain records. This header and its
// .cpp are the one place where the web meets the day-file reader, the station's file names, the
// status file and the spectral computations: when those move, only these two files change.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "measure/station_status.h"
#include "settings/app_settings.h"

namespace spectrel::web {

// The status file's record, read and judged as "spectrel-cli status" judges it.
using spectrel::CycleStatus;
using spectrel::SensorCycleStatus;
using spectrel::StationStatus;
using spectrel::StationState;
using spectrel::StationVerdict;

// The folders a station writes, each ending with '/'.
struct StationFolders {
  std::string Data;     // day files, the event log and status.json
  std::string Csv;      // hourly CSV files
  std::string NetCdf;   // NetCDF day files of the archive ("export --format netcdf")
};

// The folders of a station's settings; the NetCDF files sit beside the day files unless given.
StationFolders FoldersOf(const AppSettings& settings, const std::string& netCdfFolder);

// The three kinds of file a visitor may fetch.
enum class FileKind { DayFile, HourCsv, NetCdfDay };

// A station file name as the station makes it, and where it lies below its folder.
struct StationFileName {
  FileKind Kind = FileKind::DayFile;
  std::string Date;           // "YYYYMMDD"
  std::string RelativePath;   // "YYYY/NAME"
  int Part = 1;               // 2, 3, ... for a part of the day ("_n" before the extension)
};

// "YYYYMMDD.KRF", "YYYYMMDDHH.CSV" or "YYYYMMDD.nc", or a part of the day's ("YYYYMMDDHH_2.CSV"),
// with a plausible date and hour; nothing for any other text (a path, a dot-dot, another extension
// or letter case).
std::optional<StationFileName> ParseStationFileName(std::string_view name);
// "YYYYMMDD" with a plausible date.
bool IsDayDate(std::string_view date);
const std::string& FolderOf(const StationFolders& folders, FileKind kind);
// The station's name of each kind of file for a date (hour for the CSV file).
std::string DayFileName(const std::string& date);
std::string NetCdfFileName(const std::string& date);

// One day found in the folders, with the names of its files.
struct DayListing {
  std::string Date;                    // "YYYYMMDD"
  bool HasDayFile = false;
  std::int64_t DayFileBytes = 0;
  std::vector<std::string> CsvFiles;   // "YYYYMMDDHH.CSV", in hour order
  bool HasNetCdf = false;
};

// Every day that has a day file, a CSV file or a NetCDF file, newest first.
std::vector<DayListing> ListDays(const StationFolders& folders);

// The status file read back: the record, or why there is none.
struct StatusReading {
  std::optional<StationStatus> Status;
  std::string Error;                   // "" when read
};
StatusReading ReadStationStatus(const StationFolders& folders);
// The verdict of "spectrel-cli status" at time now.
StationVerdict JudgeStatus(const StationStatus& status, std::int64_t now);
// "idle", "measuring", ...
const char* StateName(StationState state);
// True while the station's daily window is open at time now (interval measurement only).
bool WindowOpen(const StationStatus& status, std::int64_t now);
// The local midnight of now's day plus the window start: when today's window opened.
std::int64_t WindowOpened(const StationStatus& status, std::int64_t now);

// The host clock is synchronised to a time source (the kernel's time status); empty when it
// cannot be asked.
std::optional<bool> ClockSynchronised();

// The display name of model 0..3 ("SR-101").
std::string ModelName(int model);
inline constexpr int WebModelCount = 4;

// One measurement point of a day as the page and scripts see it.
struct DayPoint {
  std::int64_t Utc = 0;              // s since 1970 UTC
  std::int64_t Clock = 0;            // the station's local clock reading as written, s since 1970 read as UTC
  float IntegralWm2 = 0.0f;          // integral irradiance over the day's range, W/m2; NaN without a sensor
  std::int16_t QualityFlags = 0;     // the archive's flag bits
  std::uint8_t Models = 0;           // bit m set when model m took part
};

// A day file read and computed once: points, the 1 nm grid of every point and what the page
// draws of one point. Immutable once made; shared between requests.
class DayView {
 public:
  ~DayView();
  DayView(const DayView&) = delete;
  DayView& operator=(const DayView&) = delete;

  std::string Date;                 // "YYYYMMDD"
  std::string SiteName, SiteLat, SiteLon, SiteAlt, TimeZone;   // the day file's header
  int IntegFromNm = 0, IntegToNm = 0;                          // integral range, nm
  int FromNm = 0;                   // wavelength of grid column 0, nm
  int Width = 0;                    // grid columns per point
  std::vector<float> Grid;          // W/m2/um, point-major; NaN where no sensor covers
  std::vector<DayPoint> Points;     // in file order
  std::string Warning;              // how the file was damaged or its times guessed, "" when neither

  // An answer made from this view once and kept while the view lives (key: what it answers).
  std::shared_ptr<const std::string> Body(const std::string& key, const std::function<std::string()>& make) const;

  struct Impl;
  std::unique_ptr<Impl> Data;       // the day's records, for one point's spectrum

 private:
  friend std::shared_ptr<const DayView> MakeDayView(const std::string&, const std::string&, const AppSettings&,
                                                    std::string&);
  friend std::shared_ptr<const DayView> ExtendDayView(const DayView&, const std::string&);
  DayView();

  static constexpr std::size_t KeptBodies = 16;
  mutable std::mutex BodiesGuard;                                          // over Bodies
  mutable std::map<std::string, std::shared_ptr<const std::string>> Bodies;
};

// Reads and computes the day file at path, its clock readings turned into UTC with the station's
// zone (the profile's, else this host's: serve runs beside the station); null with a reason in error when it is missing, not a
// day file, or holds no point.
std::shared_ptr<const DayView> MakeDayView(const std::string& date, const std::string& path,
                                           const AppSettings& settings, std::string& error);

// The view of old's day file after points were appended to it in place (the station appends each
// cycle's point): old's points shared, only the new ones read and computed. Null when what follows
// old's last block is not a run of whole points; read the file afresh then.
std::shared_ptr<const DayView> ExtendDayView(const DayView& old, const std::string& path);

// One sensor's own pixels in a point.
struct SensorCurve {
  std::string Model;                 // "SR-101"
  std::vector<float> WavelengthNm;   // pixel wavelengths, nm
  std::vector<float> Irradiance;     // W/m2/um
  std::int32_t ExposureMs = 0;
};

// What the desktop's graph shows of one point.
struct PointSpectrum {
  std::int64_t Utc = 0;
  std::string Memo;                  // the graph's title
  int StartNm = 0, EndNm = 0;        // the 1 nm grid of the displayed (merged) spectrum
  std::vector<double> Values;        // W/m2/um at StartNm .. EndNm
  double MaxValue = 0.0;
  std::vector<SensorCurve> Sensors;  // each sensor's own curve, in model order
  std::string IntegralText;          // "Integral : ...W/m2(300 - 1800nm)"
  std::string ReportEnglish;         // the sensors' status report
  std::string ReportJapanese;
};

// Point j of the day (0 .. Points.size()-1); false when j is outside.
bool ComputePointSpectrum(const DayView& day, int j, PointSpectrum& out);

// A time as ISO 8601: UTC ("2024-06-01T03:00:00Z"), and local with its offset
// ("2024-06-01T12:00:00+09:00") in this host's zone, or from the clock reading a day file holds.
std::string UtcText(std::int64_t t);
std::string LocalText(std::int64_t t);
std::string ClockText(std::int64_t clock, std::int64_t utc);
// Today's date "YYYYMMDD" in local time.
std::string LocalDate(std::int64_t t);

}  // namespace spectrel::web
