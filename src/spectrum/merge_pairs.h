// The short/long-wavelength sensor pairs that are joined into one spectrum, in precedence order,
// with the seam band over which the short sensor's weight falls from 1 to 0.
#pragma once

#include <array>

#include "spectrum/model_table.h"

namespace spectrel {

struct MergePair {
  int Short;         // SR-101 or SR-102
  int Long;          // SR-103 or SR-104
  double BandLow;    // nm: below it the short sensor alone
  double BandHigh;   // nm: above it the long sensor alone
};

inline constexpr std::array<MergePair, 4> MergePairs{{
    {SR101, SR103, 900.0, 950.0},
    {SR101, SR104, 900.0, 950.0},
    {SR102, SR103, 900.0, 950.0},
    {SR102, SR104, 950.0, 1050.0},
}};

// The first pair, in precedence order, whose two models are both present; null without one.
template <class Present>
const MergePair* FindMergePair(Present present) {
  for (const MergePair& pair : MergePairs)
    if (present(pair.Short) && present(pair.Long)) return &pair;
  return nullptr;
}

}  // namespace spectrel
