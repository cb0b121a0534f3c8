// The four Solmet sensor models as rows of one table. Everything that differs between the models
// (pixel count, status value counts, exposure limits, file tags, quirks) is read from here.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace spectrel {

// ModelIndex: 0..3 for SR-101, SR-102, SR-103, SR-104; every pass over the models runs in this order.
enum ModelIndex : int { SR101 = 0, SR102 = 1, SR103 = 2, SR104 = 3 };
inline constexpr int ModelCount = 4;

inline constexpr int MaxPixels = 2048;      // SR-102 has the most pixels
inline constexpr int MaxStatusInt = 4;      // "SS" integers of SR-103/SR-104
inline constexpr int MaxStatusFloat = 7;    // "SS" reals of SR-104 plus the second temperature
inline constexpr int TextFieldSize = 32;    // text fields of the records hold at most 31 bytes
inline constexpr int TextFieldMax = TextFieldSize - 1;

struct ModelDescription {
  std::string_view Name;          // "SR-101": the display name and the required "ST" reply
  std::string_view Tag;           // "SR101": file tags ("HD_SR101"), profile keys, log lines
  int Pixels;                     // N, pixels of the detector
  int StatusIntCount;             // integers at the head of the "SS" reply
  int StatusFloatCount;           // reals stored after them (SR-104: six from "SS" plus "T2")
  int SsFloatCount;               // reals carried by the "SS" reply itself
  int LowerLimit;                 // auto-exposure: a peak at or below this steps the exposure up (counts)
  int SaturationLimit;            // a light count above this zeroes the pixel; 0 = no zeroing
  int FixedExposureMs;            // SR-104 always exposes this long, no exposure table; 0: the table
  bool HasPixelMap;               // SR-104 sends a 256-byte map of live pixels after the calibration
  bool SecondTemperature;         // SR-104 may report a second internal temperature ("T2")
  bool ShortWavelength;           // SR-101/SR-102 cover the shorter, SR-103/SR-104 the longer wavelengths

  constexpr int CalibBytes() const { return 4 * Pixels; }     // "CALB" block and each file section
  constexpr int CountsBytes() const { return 2 * Pixels; }    // "RB" block: signed 16-bit counts
  constexpr int PixelMapBytes() const { return HasPixelMap ? Pixels : 0; }
  constexpr bool FixedExposure() const { return FixedExposureMs > 0; }
};

inline constexpr std::array<ModelDescription, ModelCount> Models{{
    {"SR-101", "SR101", 1024, 1, 4, 4, 10000, 25000, 0, false, false, true},
    {"SR-102", "SR102", 2048, 1, 4, 4, 7000, 17700, 0, false, false, true},
    {"SR-103", "SR103", 512, 4, 6, 6, 10000, 30000, 0, false, false, false},
    {"SR-104", "SR104", 256, 4, 7, 6, 0, 0, 30, true, true, false},
}};

// Exposure table in ms for the automatic exposure, ended by 0.
inline constexpr std::array<int, 10> ExposureTable{10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 0};

// The seventh status real of an SR-104 that was not asked for its second temperature.
inline constexpr float NoSecondTemperature = -273.15f;

inline constexpr bool ValidModel(int model) { return model >= 0 && model < ModelCount; }

// The model an operator names on a command line: its display name or its tag, in any letter case
// ("SR-101", "SR101", "sr-101"); nothing for any other text.
inline constexpr std::optional<int> ParseModelName(std::string_view text) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  const auto same = [&](std::string_view name) {
    if (name.size() != text.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
      if (lower(name[i]) != lower(text[i])) return false;
    return true;
  };
  for (int model = 0; model < ModelCount; ++model)
    if (same(Models[static_cast<std::size_t>(model)].Name) || same(Models[static_cast<std::size_t>(model)].Tag))
      return model;
  return std::nullopt;
}

}  // namespace spectrel
