// Everything the user can configure, loaded from the profile at start-up and saved on OK of the
// measurement settings and at exit.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace spectrel {

// The graph's block of settings: the graph settings dialog edits it in place and the graph
// copies the four doubles at every drawing.
struct GraphSettings {
  double GraphLeft = 300.0;      // left end of the wavelength axis, nm
  double GraphRight = 1800.0;    // right end of the wavelength axis, nm
  double GraphTop = 100.0;       // top of the irradiance axis when AutoScale is 0, W/m2/um
  double GraphBottom = 0.0;      // bottom of the irradiance axis, W/m2/um
  int AutoScale = 1;             // the top follows the data
  int GridLine = 1;              // draw grid lines
  std::uint32_t GraphColor = 255;     // curve colour, 0x00BBGGRR (red)
  std::uint32_t FrameColor = 32768;   // frame, ticks and grid colour, 0x00BBGGRR (dark green)
};

struct AppSettings {
  // Port of each model: a number n (device /dev/ttyS<n-1>, as the profile has always held it),
  // or a device path such as /dev/ttyUSB0 or a simulator's pseudo-terminal. "0" = no port chosen.
  std::array<std::string, 4> ComPort{"0", "0", "0", "0"};
  int MeasType = 1;                  // 0 interval measurement, 1 manual measurement
  std::int64_t StartTime = 21600;    // start of the daily window, s after local midnight
  std::int64_t EndTime = 72000;      // end of the daily window (inclusive), s after local midnight
  std::int64_t Interval = 600;       // s between two interval measurements
  int AutoStart = 0;                 // start interval measurement when the program starts
  std::string KrfFolder;             // folder of the day files and the event log (ends with '/')
  std::string CsvFolder;             // folder of the hourly CSV files
  std::array<int, 4> UseSensor{0, 0, 0, 0};   // the model takes part in measurements
  int SaveCsv = 1;                   // write the hourly CSV file
  int CsvFrom = 300;                 // first wavelength of "1nm" CSV output, nm
  int CsvTo = 1800;                  // last wavelength of "1nm" CSV output, nm
  int CsvPitch = 0;                  // 0 "Raw" (the sensors' own pixels), 1 "1nm"
  std::array<int, 4> CsvSensor{1, 1, 1, 1};   // the CSV file includes this model
  int CsvMerge = 1;                  // the CSV file includes the merged spectrum
  std::string SiteName;              // written into the header of a new day file
  std::string SiteLon = "000.000";
  std::string SiteLat = "00.000";
  std::string SiteAlt = "00.0";
  std::string SiteZone;              // the station's IANA time zone ("Asia/Tokyo"); empty: the system's
  std::string UserMemo = "Arvena Solmet";   // stored with every measurement; the graph title
  int IntegFrom = 300;               // lower limit of the integral irradiance, nm
  int IntegTo = 1800;                // upper limit of the integral irradiance, nm
  GraphSettings Graph;               // the graph block
  int DispMode = 1;                  // 0 detailed, any other value normal

  // Not persisted.
  std::string AppFolder;             // program folder (or the data default), ends with '/'
  std::string TimeZoneText;          // "%+d" offset of the current day file, set when one is begun
};

}  // namespace spectrel
