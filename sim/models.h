// The simulator's own description of the four instruments: sizes, reply shapes and the optical
// design values from which axes, calibration and spectra are made.
#pragma once

#include <array>

namespace solmet_sim {

struct ModelDescription {
  const char* Name;         // "ST" reply, e.g. "SR-101"
  const char* Tag;          // short form used in link names and on the command line, e.g. "SR101"
  int Pixels;               // pixels per spectrum
  int StatusInts;           // integers at the front of the "SS" reply
  int StatusReals;          // reals after them
  bool Infrared;            // InGaAs sensor of the longer wavelengths (cooled)
  bool HasPixelMap;         // answers "PXSB" with one byte per pixel
  bool HasSecondTemp;       // answers "T2"
  double FirstNm;           // wavelength of pixel 1, nm
  double LastNm;            // wavelength of pixel N, nm
  double Curvature;         // quadratic coefficient of the axis, nm per pixel squared
  double Cubic;             // cubic coefficient of the axis, nm per pixel cubed
  double ResponsePeakNm;    // wavelength of best spectral response, nm
  double ResponseWidthNm;   // 1/e half width of the response curve, nm
  double NoonPeakCounts;    // largest noon light count (dark included) at the design exposure
  int DesignExposureMs;     // exposure at which NoonPeakCounts is reached, ms
  double DarkLevel;         // dark offset, counts
  double DarkCurrent;       // dark signal growth, counts per second of exposure
};

inline constexpr std::array<ModelDescription, 4> kModels{{
    {"SR-101", "SR101", 1024, 1, 4, false, false, false, 300.0, 1100.0, -2.0e-5, 1.0e-9, 680.0, 380.0,
     16000.0, 50, 320.0, 25.0},
    {"SR-102", "SR102", 2048, 1, 4, false, false, false, 300.0, 1100.0, -5.0e-6, 1.0e-10, 680.0, 380.0,
     12000.0, 50, 280.0, 25.0},
    {"SR-103", "SR103", 512, 4, 6, true, false, false, 900.0, 1700.0, -8.0e-5, 0.0, 1400.0, 520.0,
     20000.0, 50, 450.0, 120.0},
    {"SR-104", "SR104", 256, 4, 6, true, true, true, 900.0, 1800.0, -3.0e-4, 0.0, 1450.0, 560.0,
     20000.0, 30, 500.0, 150.0},
}};

// Index of the model named "SR-101" or "SR101" (any case), or -1.
int ModelIndexOf(const char* name);

}  // namespace solmet_sim
