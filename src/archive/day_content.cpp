#include "archive/day_content.h"

#include <netcdf.h>

#include <algorithm>
#include <cstddef>
#include <ctime>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/model_variables.h"
#include "archive/quality_flags.h"
#include "archive/site_position.h"
#include "archive/solar_position.h"
#include "archive/variable_links.h"
#include "base/station_zone.h"

namespace spectrel::archive {

namespace {

constexpr std::size_t TimeChunk = 64;        // points per chunk: one wavelength's day in a few reads
constexpr std::size_t WavelengthChunk = 256; // nm per chunk: one spectrum in a few reads
constexpr float FloatFill = std::numeric_limits<float>::quiet_NaN();
constexpr const char* SunMethod =
    "apparent topocentric position of the sun without refraction (geometric), from the site's "
    "latitude, longitude and altitude and the true UTC: the Earth's ephemeris (ERFA eraEpv00), IAU "
    "2006/2000A precession-nutation, Earth rotation angle, annual and diurnal aberration (ERFA "
    "eraApco13, eraAtioq) and the sun's parallax; within 0.01 degree of astronomical references";

std::string UtcText(std::time_t t, const char* format) {
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[64] = "";
  std::strftime(text, sizeof text, format, &utc);
  return text;
}

void GlobalAttributes(NetCdfFile& file, const ArchiveDay& archiveDay, const ArchiveSettings& settings,
                      const std::optional<SitePosition>& site) {
  const CKrfData& day = archiveDay.Set;
  // The station's own date, as its clock showed it at the first point.
  const std::string date = archiveDay.Clocks.empty() ? "" : FormatClock(archiveDay.Clocks.front(), "%Y-%m-%d");
  const std::time_t now = std::time(nullptr);
  file.Text(NC_GLOBAL, "Conventions", "CF-1.8");
  file.Text(NC_GLOBAL, "title", "Spectral irradiance at " +
                                    (day.SiteName.empty() ? std::string("an unnamed site") : day.SiteName) +
                                    (date.empty() ? "" : " on " + date));
  file.Text(NC_GLOBAL, "site_name", day.SiteName);
  file.Text(NC_GLOBAL, "site_longitude", day.SiteLon);
  file.Text(NC_GLOBAL, "site_latitude", day.SiteLat);
  file.Text(NC_GLOBAL, "site_altitude", day.SiteAlt);
  file.Text(NC_GLOBAL, "local_time_zone", day.TimeZone);
  file.Text(NC_GLOBAL, "station_time_zone", archiveDay.Times.Zone);
  if (site) {
    file.Doubles(NC_GLOBAL, "geospatial_lat_min", {site->LatitudeDeg});
    file.Doubles(NC_GLOBAL, "geospatial_lat_max", {site->LatitudeDeg});
    file.Text(NC_GLOBAL, "geospatial_lat_units", "degrees_north");
    file.Doubles(NC_GLOBAL, "geospatial_lon_min", {site->LongitudeDeg});
    file.Doubles(NC_GLOBAL, "geospatial_lon_max", {site->LongitudeDeg});
    file.Text(NC_GLOBAL, "geospatial_lon_units", "degrees_east");
    if (site->AltitudeM) {
      file.Doubles(NC_GLOBAL, "geospatial_vertical_min", {*site->AltitudeM});
      file.Doubles(NC_GLOBAL, "geospatial_vertical_max", {*site->AltitudeM});
      file.Text(NC_GLOBAL, "geospatial_vertical_units", "m");
      file.Text(NC_GLOBAL, "geospatial_vertical_positive", "up");
    }
  } else {
    file.Text(NC_GLOBAL, "solar_position_note",
              "no solar_zenith_angle or solar_azimuth_angle: the day file gives no numeric site "
              "latitude and longitude");
  }
  if (archiveDay.Read.TailDamaged) file.Text(NC_GLOBAL, "day_file_damage", TailDamage(archiveDay.Read));
  file.Text(NC_GLOBAL, "source", ArchiveSource());
  file.Text(NC_GLOBAL, "history", UtcText(now, "%Y-%m-%dT%H:%M:%SZ") + ": " + settings.History);
  file.Text(NC_GLOBAL, "date_created", UtcText(now, "%Y-%m-%dT%H:%M:%SZ"));
}

struct SiteIds {
  int Latitude = -1, Longitude = -1, Altitude = -1;   // -1: not in the file
};

int SiteCoordinate(NetCdfFile& file, const char* name, const char* longName, const char* units) {
  const int var = file.Var(name, NC_DOUBLE, {});
  file.Text(var, "standard_name", name);
  file.Text(var, "long_name", longName);
  file.Text(var, "units", units);
  return var;
}

// The station's position as scalar coordinate variables, named on every variable over time.
SiteIds DefineSite(NetCdfFile& file, const std::optional<SitePosition>& site, VariableLinks& links) {
  SiteIds ids;
  if (!site) return ids;
  ids.Latitude = SiteCoordinate(file, "latitude", "latitude of the station", "degrees_north");
  ids.Longitude = SiteCoordinate(file, "longitude", "longitude of the station", "degrees_east");
  links.Coordinates = "latitude longitude";
  if (site->AltitudeM) {
    ids.Altitude = SiteCoordinate(file, "altitude", "height of the station above sea level", "m");
    file.Text(ids.Altitude, "positive", "up");
    file.Text(ids.Altitude, "axis", "Z");
    links.Coordinates += " altitude";
  }
  return ids;
}

void WriteSite(NetCdfFile& file, const std::optional<SitePosition>& site, const SiteIds& ids) {
  if (!site) return;
  file.Put(ids.Latitude, &site->LatitudeDeg);
  file.Put(ids.Longitude, &site->LongitudeDeg);
  if (site->AltitudeM) file.Put(ids.Altitude, &*site->AltitudeM);
}

struct GridIds {
  int Time = -1, Wavelength = -1, Spectrum = -1, Integral = -1, CoveredFrom = -1, CoveredTo = -1;
  int Zenith = -1, Azimuth = -1, Flags = -1;   // the angles stay -1 without a site position
};

int TimeSeries(NetCdfFile& file, const std::string& name, int type, int timeDim, std::size_t points) {
  return file.Var(name, type, {timeDim}, {std::max<std::size_t>(points, 1)});
}

void DefineAxes(NetCdfFile& file, const ArchiveDay& archiveDay, GridIds& ids, int timeDim, int wlDim) {
  ids.Time = file.Var("time", NC_DOUBLE, {timeDim});
  file.Text(ids.Time, "standard_name", "time");
  file.Text(ids.Time, "long_name", "time of the measurement point, UTC");
  // No zone suffix: CF reads it as UTC, while some readers take "UTC" for the local zone.
  file.Text(ids.Time, "units", "seconds since 1970-01-01 00:00:00");
  file.Text(ids.Time, "calendar", "standard");
  file.Text(ids.Time, "axis", "T");
  file.Text(ids.Time, "local_time_zone", archiveDay.Set.TimeZone);
  file.Text(ids.Time, "station_time_zone", archiveDay.Times.Zone);
  file.Text(ids.Time, "comment",
            "local_time_zone: the station's offset from UTC in whole hours as the day file gives it; "
            "station_time_zone: the zone whose rules turned the day file's local times into UTC");

  ids.Wavelength = file.Var("wavelength", NC_DOUBLE, {wlDim});
  file.Text(ids.Wavelength, "standard_name", "radiation_wavelength");
  file.Text(ids.Wavelength, "long_name", "wavelength of the 1 nm grid");
  file.Text(ids.Wavelength, "units", "nm");
}

// The integral irradiance and the part of its range that each point's sensors covered.
void DefineIntegral(NetCdfFile& file, const ArchiveSettings& settings, GridIds& ids, int timeDim,
                    std::size_t points, const VariableLinks& links) {
  ids.Integral = TimeSeries(file, "integral_irradiance", NC_FLOAT, timeDim, points);
  file.Text(ids.Integral, "long_name", "integral irradiance over the integral range");
  file.Text(ids.Integral, "units", "W m-2");
  file.Ints(ids.Integral, "integral_range_nm", {settings.Grid.IntegFrom, settings.Grid.IntegTo});
  file.Floats(ids.Integral, "_FillValue", {FloatFill});
  file.Text(ids.Integral, "comment",
            "sums the point's spectrum over the whole nm of integral_range_nm that its sensors cover, "
            "integral_covered_from to integral_covered_to; quality_flag integral_partial marks a point "
            "whose sensors leave part of the range out");
  LinkMeasurement(file, ids.Integral, links, "quality_flag integral_covered_from integral_covered_to");
  const struct {
    int GridIds::*Id;
    const char* Name;
    const char* LongName;
  } ends[] = {{&GridIds::CoveredFrom, "integral_covered_from", "lowest wavelength summed in integral_irradiance"},
              {&GridIds::CoveredTo, "integral_covered_to", "highest wavelength summed in integral_irradiance"}};
  for (const auto& end : ends) {
    const int var = TimeSeries(file, end.Name, NC_INT, timeDim, points);
    file.Text(var, "long_name", end.LongName);
    file.Text(var, "units", "nm");
    file.Ints(var, "_FillValue", {NoWavelength});
    file.Text(var, "comment", "fill where the point's sensors cover nothing of the integral range");
    LinkCoordinates(file, var, links);
    ids.*end.Id = var;
  }
}

GridIds DefineGrid(NetCdfFile& file, const ArchiveDay& archiveDay, const ArchiveSettings& settings,
                   const DayGrid& grid, bool hasSite, int timeDim, const VariableLinks& links) {
  const std::size_t points = static_cast<std::size_t>(archiveDay.Set.RadCount());
  GridIds ids;
  const int wlDim = file.Dim("wavelength", static_cast<std::size_t>(grid.Width));
  DefineAxes(file, archiveDay, ids, timeDim, wlDim);

  ids.Spectrum = file.Var("spectral_irradiance", NC_FLOAT, {timeDim, wlDim},
                          {std::min(std::max<std::size_t>(points, 1), TimeChunk),
                           std::min(std::max<std::size_t>(static_cast<std::size_t>(grid.Width), 1), WavelengthChunk)});
  file.Text(ids.Spectrum, "standard_name", "surface_downwelling_radiative_flux_per_unit_wavelength_in_air");
  file.Text(ids.Spectrum, "long_name", settings.Grid.Merge
                                           ? "spectral irradiance, sensors merged across the seam band"
                                           : "spectral irradiance of the first sensor of each point");
  file.Text(ids.Spectrum, "units", "W m-2 um-1");
  file.Floats(ids.Spectrum, "_FillValue", {FloatFill});
  file.Text(ids.Spectrum, "comment", "fill where no sensor of the point covers the wavelength");
  LinkMeasurement(file, ids.Spectrum, links);

  DefineIntegral(file, settings, ids, timeDim, points, links);
  if (hasSite) {
    ids.Zenith = TimeSeries(file, "solar_zenith_angle", NC_FLOAT, timeDim, points);
    file.Text(ids.Zenith, "standard_name", "solar_zenith_angle");
    file.Text(ids.Zenith, "units", "degree");
    file.Text(ids.Zenith, "comment", SunMethod);
    LinkCoordinates(file, ids.Zenith, links);
    ids.Azimuth = TimeSeries(file, "solar_azimuth_angle", NC_FLOAT, timeDim, points);
    file.Text(ids.Azimuth, "standard_name", "solar_azimuth_angle");
    file.Text(ids.Azimuth, "units", "degree");
    file.Text(ids.Azimuth, "comment", "clockwise from true north; " + std::string(SunMethod));
    LinkCoordinates(file, ids.Azimuth, links);
  }
  return ids;
}

void DefineFlags(NetCdfFile& file, GridIds& ids, int timeDim, std::size_t points, const VariableLinks& links) {
  ids.Flags = TimeSeries(file, "quality_flag", NC_SHORT, timeDim, points);
  file.Text(ids.Flags, "standard_name", "quality_flag");
  file.Text(ids.Flags, "long_name", "quality flags of the measurement point");
  std::vector<short> masks;
  std::string meanings;
  std::string rules;
  for (const QualityFlagRule& rule : QualityFlagTable) {
    masks.push_back(rule.Mask);
    if (!meanings.empty()) meanings += ' ';
    meanings += rule.Meaning;
    file.Doubles(ids.Flags, "threshold_" + std::string(rule.Meaning), {rule.Threshold});
    rules += std::string(rule.Meaning) + ": " + std::string(rule.Rule) + " (threshold in " +
             std::string(rule.Units) + "). ";
  }
  file.Shorts(ids.Flags, "flag_masks", masks);
  file.Text(ids.Flags, "flag_meanings", meanings);
  file.Text(ids.Flags, "comment", rules);
  LinkCoordinates(file, ids.Flags, links);
}

void WriteGrid(NetCdfFile& file, const ArchiveDay& archiveDay, DayGrid& grid,
               const GridIds& ids, const std::optional<SitePosition>& site) {
  const CKrfData& day = archiveDay.Set;
  const int points = day.RadCount();
  std::vector<double> times(static_cast<std::size_t>(points));
  std::vector<double> wavelengths(static_cast<std::size_t>(grid.Width));
  std::vector<float> zenith(times.size()), azimuth(times.size());
  std::vector<short> flags(times.size());
  for (int w = 0; w < grid.Width; ++w) wavelengths[static_cast<std::size_t>(w)] = grid.FromNm + w;
  std::optional<SunTracker> sunAtSite;
  if (site) sunAtSite.emplace(site->LatitudeDeg, site->LongitudeDeg, site->AltitudeM.value_or(0.0));
  for (int j = 0; j < points; ++j) {
    const std::size_t p = static_cast<std::size_t>(j);
    const std::int64_t utc = archiveDay.Times.Utc[p];
    times[p] = static_cast<double>(utc);
    std::optional<double> z;
    if (sunAtSite) {
      const SolarAngles sun = sunAtSite->At(utc);
      zenith[p] = static_cast<float>(sun.ZenithDeg);
      azimuth[p] = static_cast<float>(sun.AzimuthDeg);
      z = sun.ZenithDeg;
    }
    flags[p] = QualityFlags(day, j, grid, z);
  }
  file.Put(ids.Time, times.data());
  file.Put(ids.Wavelength, wavelengths.data());
  file.PutPacked(ids.Spectrum, std::move(grid.Spectrum));
  file.Put(ids.Integral, grid.Integral.data());
  file.Put(ids.CoveredFrom, grid.CoveredFrom.data());
  file.Put(ids.CoveredTo, grid.CoveredTo.data());
  if (site) {
    file.Put(ids.Zenith, zenith.data());
    file.Put(ids.Azimuth, azimuth.data());
  }
  file.Put(ids.Flags, flags.data());
}

}  // namespace

const char* ArchiveSource() { return "Spectrel " SPECTREL_VERSION " (spectrel-cli export)"; }

void WriteDayContent(NetCdfFile& file, const ArchiveDay& archiveDay, const ArchiveSettings& settings) {
  const CKrfData& day = archiveDay.Set;
  const std::optional<SitePosition> site = ReadSitePosition(day);
  DayGrid grid = ComputeDayGrid(day, settings.Grid);
  const std::size_t points = static_cast<std::size_t>(day.RadCount());
  GlobalAttributes(file, archiveDay, settings, site);
  const int timeDim = file.Dim("time", points);
  VariableLinks links;
  links.SignificantDigits = settings.SignificantDigits;
  const SiteIds siteIds = DefineSite(file, site, links);
  DefineQuantization(file, links);
  GridIds ids = DefineGrid(file, archiveDay, settings, grid, site.has_value(), timeDim, links);
  DefineFlags(file, ids, timeDim, points, links);
  std::vector<ModelVariableIds> models;
  for (int model = SR101; model <= SR104; ++model)
    if (day.Info(model) != nullptr) models.push_back(DefineModelVariables(file, day, model, timeDim, links));
  file.EndDefinitions();
  WriteSite(file, site, siteIds);
  WriteGrid(file, archiveDay, grid, ids, site);
  for (const ModelVariableIds& m : models) WriteModelVariables(file, day, m);
}

}  // namespace spectrel::archive
