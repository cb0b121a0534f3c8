// Everything the user can configure, loaded from the profile at start-up and saved on OK of the
// measurement settings and at exit.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace spectrel {

// The kind of the last started measurement.
enum class MeasureMode { Interval, Manual };
// The wavelengths of the hourly CSV file: the sensors' own pixels ("Raw") or a 1 nm grid ("1nm").
enum class WavelengthPitch { Raw, OneNm };
// What the graph shows: the merged spectrum alone, or the sensors' own spectra in grey too.
enum class DisplayMode { Detailed, Normal };

// The graph's block of settings: the graph settings dialog edits it in place and the graph
// copies the four doubles at every drawing.
struct GraphSettings {
  double GraphLeft = 300.0;      // left end of the wavelength axis, nm
  double GraphRight = 1800.0;    // right end of the wavelength axis, nm
  double GraphTop = 100.0;       // top of the irradiance axis when AutoScale is off, W/m2/um
  double GraphBottom = 0.0;      // bottom of the irradiance axis, W/m2/um
  bool AutoScale = true;         // the top follows the data
  bool GridLine = true;          // draw grid lines
  std::uint32_t GraphColor = 255;     // curve colour, 0x00BBGGRR (red)
  std::uint32_t FrameColor = 32768;   // frame, ticks and grid colour, 0x00BBGGRR (dark green)
};

struct AppSettings {
  // Port of each model: a number n (device /dev/ttyS<n-1>, as the profile has always held it),
  // or a device path such as /dev/ttyUSB0 or a simulator's pseudo-terminal. "0" = no port chosen.
  std::array<std::string, 4> ComPort{"0", "0", "0", "0"};
  MeasureMode MeasType = MeasureMode::Manual;   // the kind of the last started measurement
  std::int64_t StartTime = 21600;    // start of the daily window, s after local midnight
  std::int64_t EndTime = 72000;      // end of the daily window (inclusive), s after local midnight
  std::int64_t Interval = 600;       // s between two interval measurements
  bool AutoStart = false;            // start interval measurement when the program starts
  std::string KrfFolder;             // folder of the day files and the event log (ends with '/')
  std::string CsvFolder;             // folder of the hourly CSV files
  std::array<bool, 4> UseSensor{false, false, false, false};   // the model takes part in measurements
  bool SaveCsv = true;               // write the hourly CSV file
  int CsvFrom = 300;                 // first wavelength of "1nm" CSV output, nm
  int CsvTo = 1800;                  // last wavelength of "1nm" CSV output, nm
  WavelengthPitch CsvPitch = WavelengthPitch::Raw;   // the CSV file's wavelengths
  std::array<bool, 4> CsvSensor{true, true, true, true};   // the CSV file includes this model
  bool CsvMerge = true;              // the CSV file includes the merged spectrum
  std::string SiteName;              // written into the header of a new day file
  std::string SiteLon = "000.000";
  std::string SiteLat = "00.000";
  std::string SiteAlt = "00.0";
  std::string SiteZone;              // the station's IANA time zone ("Asia/Tokyo"); empty: the system's
  std::string UserMemo = "Arvena Solmet";   // stored with every measurement; the graph title
  int IntegFrom = 300;               // lower limit of the integral irradiance, nm
  int IntegTo = 1800;                // upper limit of the integral irradiance, nm
  GraphSettings Graph;               // the graph block
  DisplayMode DispMode = DisplayMode::Normal;   // what the graph shows

  // Not persisted.
  std::string AppFolder;             // program folder (or the data default), ends with '/'
  std::string TimeZoneText;          // "%+d" offset of the current day file, set when one is begun
};

}  // namespace spectrel
