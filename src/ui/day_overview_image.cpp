#include "ui/day_overview_image.h"

#include <QColor>

#include <algorithm>
#include <array>

#include "ui/day_overview_panels.h"
#include "ui/day_overview_work.h"

namespace spectrel {

namespace {

const QColor NoMeasurement(225, 225, 225);

using Palette = std::array<QRgb, 256>;

const Palette& Viridis() {
  static const Palette palette = [] {
    Palette p{};
    for (int i = 0; i < 256; ++i) p[static_cast<size_t>(i)] = ViridisColor(i / 255.0).rgb();
    return p;
  }();
  return palette;
}

// Colour step 0..255 of a value; not a number counts as the lowest.
int Level(float value, double maxValue) {
  const double q = 255.0 * value / maxValue;
  if (!(q > 0.0)) return 0;
  return q < 255.0 ? static_cast<int>(q) : 255;
}

// Paints rows rowFrom..rowTo-1 of the columns of points from..Count()-1 into the picture's pixels.
void PaintRows(uchar* bits, qsizetype stride, int rowFrom, int rowTo, const DayOverviewData& day, const TimeGaps& gaps,
               int from) {
  const Palette& palette = Viridis();
  const auto& points = day.Data();
  const std::vector<std::int64_t> gapStarts = SortedTimes(gaps, &TimeGaps::value_type::first);
  for (size_t i = static_cast<size_t>(std::max(0, from)); i < points.size(); ++i) {
    const OverviewPoint& point = points[i];
    if (point.Row.empty()) continue;
    const int first = static_cast<int>((point.Time - day.DayStart()) / 60);
    int last = first;
    // A point fills the minutes up to the next one, unless a stretch without measurement follows.
    const bool gapFollows = std::binary_search(gapStarts.begin(), gapStarts.end(), point.Time);
    if (i + 1 < points.size() && !gapFollows)
      last = std::max(first, static_cast<int>((points[i + 1].Time - day.DayStart()) / 60) - 1);
    const int c0 = std::max(0, first);
    const int c1 = std::min(last, day.Minutes() - 1);
    if (c0 > c1) continue;
    // Row values k0..k1 land on picture rows top - k, inside rowFrom..rowTo-1.
    const int top = day.MaxNm - point.StartNm;
    const int k0 = std::max(0, top - (rowTo - 1));
    const int k1 = std::min(static_cast<int>(point.Row.size()) - 1, top - rowFrom);
    if (k0 > k1) continue;
    uchar* line = bits + stride * (top - k0) + static_cast<qsizetype>(c0) * 4;
    for (int k = k0; k <= k1; ++k, line -= stride) {
      const QRgb colour = palette[static_cast<size_t>(Level(point.Row[static_cast<size_t>(k)], day.MaxValue))];
      QRgb* pixel = reinterpret_cast<QRgb*>(line);
      if (c0 == c1) *pixel = colour; else std::fill(pixel, pixel + (c1 - c0 + 1), colour);
    }
  }
}

}  // namespace

std::vector<std::int64_t> SortedTimes(const TimeGaps& gaps, std::int64_t TimeGaps::value_type::*end) {
  std::vector<std::int64_t> times;
  times.reserve(gaps.size());
  for (const auto& gap : gaps) times.push_back(gap.*end);
  std::sort(times.begin(), times.end());
  return times;
}

QImage SpectrogramImage(const DayOverviewData& day) {
  const int rows = day.Count() > 0 ? day.MaxNm - day.MinNm + 1 : 0;
  if (rows <= 0 || day.MaxValue <= 0) return QImage();
  const int minutes = day.Minutes();
  QImage image(minutes, rows, QImage::Format_RGB32);
  const TimeGaps gaps = day.Gaps();
  uchar* const bits = image.bits();
  const qsizetype stride = image.bytesPerLine();
  // Bands of rows on all cores: each pixel is still painted by the points in their order.
  ShareWork(rows, 64, [&](int rowFrom, int rowTo) {
    const QRgb grey = NoMeasurement.rgb();
    for (int row = rowFrom; row < rowTo; ++row) {
      QRgb* line = reinterpret_cast<QRgb*>(bits + stride * row);
      std::fill(line, line + minutes, grey);
    }
    PaintRows(bits, stride, rowFrom, rowTo, day, gaps, 0);
  });
  return image;
}

void PaintSpectrogramColumns(QImage& image, const DayOverviewData& day, const TimeGaps& gaps, int from) {
  PaintRows(image.bits(), image.bytesPerLine(), 0, image.height(), day, gaps, from);
}

SpectrogramBasis SpectrogramBasis::Of(const DayOverviewData& day, TimeGaps gaps) {
  SpectrogramBasis basis;
  basis.Points = day.Count();
  if (basis.Points > 0) {
    basis.FirstTime = day.Data().front().Time;
    basis.LastTime = day.Data().back().Time;
  }
  basis.MinNm = day.MinNm;
  basis.MaxNm = day.MaxNm;
  basis.MaxValue = day.MaxValue;
  basis.Gaps = std::move(gaps);
  return basis;
}

bool SpectrogramBasis::GrownInto(const DayOverviewData& day, const TimeGaps& gaps) const {
  const auto& points = day.Data();
  if (Points <= 0 || day.Count() < Points || points.front().Time != FirstTime ||
      points[static_cast<size_t>(Points - 1)].Time != LastTime)
    return false;
  if (day.MinNm != MinNm || day.MaxNm != MaxNm || day.MaxValue != MaxValue) return false;
  // The stretches among the painted points must stay as they were; new ones may only follow.
  if (gaps.size() < Gaps.size() || !std::equal(Gaps.begin(), Gaps.end(), gaps.begin())) return false;
  return gaps.size() == Gaps.size() || gaps[Gaps.size()].first >= LastTime;
}

}  // namespace spectrel
