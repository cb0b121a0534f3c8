#include <cstddef>

#include "spectrum/merge_pairs.h"
#include "spectrum/resample.h"

namespace spectrel {

double MergedValue(const CKrfData& set, int j, double w) {
  const CRad& rad = set.Rad(j);
  const MergePair* pair = FindMergePair([&rad](int model) { return rad.Block(model) != nullptr; });
  if (pair == nullptr) {
    for (int model = SR101; model <= SR104; ++model)
      if (rad.Block(model) != nullptr) return InterpolatedIrradiance(set, model, j, w);
    return 0.0;
  }
  if (w < pair->BandLow) return InterpolatedIrradiance(set, pair->Short, j, w);
  if (w > pair->BandHigh) return InterpolatedIrradiance(set, pair->Long, j, w);
  // Linear cross-fade: the short sensor's weight is 1 at the lower band edge and 0 at the upper.
  const double a = (pair->BandHigh - w) / (pair->BandHigh - pair->BandLow);
  return InterpolatedIrradiance(set, pair->Short, j, w) * a +
         InterpolatedIrradiance(set, pair->Long, j, w) * (1.0 - a);
}

void BuildMergedWavelengths(const CKrfData& set, std::vector<double>& merged) {
  merged.clear();
  const MergePair* pair = FindMergePair([&set](int model) { return set.Info(model) != nullptr; });
  if (pair == nullptr) {
    for (int model = SR101; model <= SR104; ++model) {
      if (const SensorInfo* info = set.Info(model)) {
        merged.assign(info->Wavelength.begin(), info->Wavelength.end());
        return;
      }
    }
    return;
  }

  // Merge step of a merge sort over the two axes, each filtered to its side of the seam band.
  const std::vector<float>& s = set.Info(pair->Short)->Wavelength;
  const std::vector<float>& l = set.Info(pair->Long)->Wavelength;
  merged.reserve(s.size() + l.size());
  size_t i = 0;
  size_t k = 0;
  while (i < s.size() || k < l.size()) {
    const bool takeShort = k >= l.size() || (i < s.size() && s[i] <= l[k]);
    if (takeShort) {
      const double w = s[i++];
      if (w <= pair->BandHigh) merged.push_back(w);
    } else {
      const double w = l[k++];
      if (w >= pair->BandLow) merged.push_back(w);
    }
  }
}

}  // namespace spectrel
