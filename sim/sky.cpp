#include "sky.h"

#include <cmath>
#include <cstdint>
#include <ctime>

#include "base/local_day.h"

namespace solmet_sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSunKelvin = 5800.0;   // black-body temperature of the sun
constexpr double kNoonPeak = 1800.0;    // W/m2/um at the black body's maximum, before absorption

// Planck's law up to a constant factor, nm and kelvin.
double Planck(double nm, double kelvin) {
  const double c2 = 1.4388e7;  // second radiation constant, nm·K
  return std::pow(nm, -5.0) / std::expm1(c2 / (nm * kelvin));
}

struct Band {
  double CentreNm;   // centre of the band
  double WidthNm;    // Gaussian half width
  double Depth;      // fraction absorbed at the centre
};

// O2 A-band, then the water vapour bands; 1380 and 1870 nm are nearly black at the ground.
constexpr Band kBands[] = {
    {760.0, 4.0, 0.65}, {940.0, 22.0, 0.70}, {1130.0, 28.0, 0.75},
    {1380.0, 55.0, 0.97}, {1870.0, 65.0, 0.99},
};

double Transmission(double nm) {
  double t = 1.0;
  for (const Band& b : kBands) {
    const double x = (nm - b.CentreNm) / b.WidthNm;
    t *= 1.0 - b.Depth * std::exp(-x * x);
  }
  // Ozone shuts out the light below about 300 nm, its depth falling tenfold every 20 nm;
  // Rayleigh scattering dims the blue.
  const double ozone = std::exp(-4.0 * std::exp(-(nm - 300.0) / 9.0));
  const double rayleigh = std::exp(-0.09 * std::pow(550.0 / nm, 4.0));
  return t * ozone * rayleigh;
}

}  // namespace

double NoonIrradiance(double nm) {
  if (nm <= 0.0) return 0.0;
  const double peakNm = 2.8978e6 / kSunKelvin;  // Wien's displacement law
  return kNoonPeak * Planck(nm, kSunKelvin) / Planck(peakNm, kSunKelvin) * Transmission(nm);
}

double Daylight(int secondsOfDay) {
  const double sunrise = 6 * 3600.0, sunset = 18 * 3600.0;
  const double t = secondsOfDay;
  if (t <= sunrise || t >= sunset) return 0.0;
  const double s = std::sin(kPi * (t - sunrise) / (sunset - sunrise));
  return std::pow(s, 1.3);  // the longer air path dims the low sun further
}

int LocalSecondsOfDay() {
  return static_cast<int>(spectrel::SecondOfDay(static_cast<std::int64_t>(std::time(nullptr))));
}

}  // namespace solmet_sim
