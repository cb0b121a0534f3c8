#include <cstddef>

#include "spectrum/merge_pairs.h"
#include "spectrum/resample.h"

namespace spectrel {

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
