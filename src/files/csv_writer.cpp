#include "files/csv_writer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <limits>
#include <optional>

#include "base/local_time.h"
#include "base/file_output.h"
#include "spectrum/grid_walk.h"

namespace spectrel {

namespace {

constexpr int LabelLines = 8;
constexpr std::array<const char*, LabelLines> LabelCells{
    "Date,",
    "Time,",
    "Memo,",
    "Sensor,",
    "Exposure Time(msec),",
    "Sensor Temp.(deg),",
    "Power(V),",
    "Wavelength(nm),",
};
constexpr const char* IrradianceLabel = "Irradiance(W/m2/um),";

// Appends a number as printf would in the C locale ("%.2f", "%.1f"), followed by a comma.
void AppendFixed(std::string& out, double value, int decimals) {
  // Fixed notation of the largest double needs 309 digits, sign, point and decimals.
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec == std::errc()) out.append(buffer, result.ptr);
  out.push_back(',');
}

// "%d,".
void AppendInt(std::string& out, int value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
  out.push_back(',');
}

// The columns of one point's group, in file order.
struct PointColumns {
  std::array<int, ModelCount> Model{};   // ModelIndex of each model column
  int ModelColumns = 0;                  // count of model columns
  bool Merge = false;                    // a merge column follows them
  int Count() const { return ModelColumns + (Merge ? 1 : 0); }
};

PointColumns ColumnsOf(const CRad& rad, const CsvOptions& options) {
  PointColumns columns;
  for (int model = SR101; model <= SR104; ++model)
    if (rad.Block(model) != nullptr && options.Sensor[static_cast<size_t>(model)])
      columns.Model[static_cast<size_t>(columns.ModelColumns++)] = model;
  columns.Merge = options.Merge &&
                  (rad.Block(SR101) != nullptr || rad.Block(SR102) != nullptr) &&
                  (rad.Block(SR103) != nullptr || rad.Block(SR104) != nullptr);
  return columns;
}

// The eight label lines of one point's group.
void AppendGroupLabels(std::vector<std::string>& lines, const CRad& rad,
                       const PointColumns& columns) {
  const int count = columns.Count();
  lines[0].append(FormatLocal(rad.MeasureTime, "%Y/%m/%d"));
  lines[1].append(FormatLocal(rad.MeasureTime, "%H:%M:%S"));
  lines[2].append(rad.Memo);
  for (int line = 0; line < 3; ++line) lines[static_cast<size_t>(line)].append(static_cast<size_t>(count), ',');

  for (int c = 0; c < columns.ModelColumns; ++c) {
    const int model = columns.Model[static_cast<size_t>(c)];
    const SensorMeasurement& m = *rad.Block(model);
    // The shorter-wavelength sensors report their temperature and supply first; the longer ones
    // carry the internal temperature and the supply as the third and fourth real.
    const bool shortSensor = Models[model].ShortWavelength;
    const float temperature = shortSensor ? m.StatusFloat[0] : m.StatusFloat[2];
    const float voltage = shortSensor ? m.StatusFloat[1] : m.StatusFloat[3];
    lines[3].append(Models[model].Name).push_back(',');
    AppendInt(lines[4], m.ExposureMs);
    AppendFixed(lines[5], static_cast<double>(temperature), 1);
    AppendFixed(lines[6], static_cast<double>(voltage), 1);
    lines[7].append(IrradianceLabel);
  }
  if (columns.Merge) {
    lines[3].append("Merge,");
    for (int line = 4; line < 7; ++line) lines[static_cast<size_t>(line)].push_back(',');
    lines[7].append(IrradianceLabel);
  }
}

}  // namespace

void CCsvWriter::BuildCsvHeader(const CKrfData& set, const CsvOptions& options,
                                const std::vector<double>& mergedWavelengths) {
  CsvWavelengths.clear();
  CsvLines.clear();

  if (options.OneNm) {
    if (options.From <= options.To) {
      CsvWavelengths.reserve(static_cast<size_t>(options.To - options.From) + 1);
      for (long long w = options.From; w <= options.To; ++w)
        CsvWavelengths.push_back(static_cast<double>(w));
    }
  } else {
    // Ascending union of the selected axes: a k-way walk, the lower model winning a tie and the
    // merged axis last, equal neighbours written once.
    std::vector<std::pair<const float*, const float*>> axes;   // cursor and end of each model axis
    for (int model = SR101; model <= SR104; ++model) {
      const SensorInfo* info = set.Info(model);
      if (info != nullptr && options.Sensor[static_cast<size_t>(model)])
        axes.emplace_back(info->Wavelength.data(), info->Wavelength.data() + info->Wavelength.size());
    }
    const bool mergeSelected =
        options.Merge && (set.Info(SR101) != nullptr || set.Info(SR102) != nullptr) &&
        (set.Info(SR103) != nullptr || set.Info(SR104) != nullptr);
    size_t mergedCursor = mergeSelected ? 0 : mergedWavelengths.size();

    size_t total = mergedWavelengths.size() - mergedCursor;
    for (const auto& axis : axes) total += static_cast<size_t>(axis.second - axis.first);
    CsvWavelengths.reserve(total);
    for (;;) {
      int best = -1;   // index into axes, or axes.size() for the merged axis
      double bestValue = 0.0;
      for (size_t a = 0; a < axes.size(); ++a) {
        if (axes[a].first == axes[a].second) continue;
        const double v = *axes[a].first;
        if (best < 0 || v < bestValue) {
          best = static_cast<int>(a);
          bestValue = v;
        }
      }
      if (mergedCursor < mergedWavelengths.size() &&
          (best < 0 || mergedWavelengths[mergedCursor] < bestValue)) {
        best = static_cast<int>(axes.size());
        bestValue = mergedWavelengths[mergedCursor];
      }
      if (best < 0) break;
      if (static_cast<size_t>(best) == axes.size())
        ++mergedCursor;
      else
        ++axes[static_cast<size_t>(best)].first;
      if (CsvWavelengths.empty() || CsvWavelengths.back() != bestValue)
        CsvWavelengths.push_back(bestValue);
    }
  }

  CsvLines.reserve(LabelLines + CsvWavelengths.size());
  for (const char* label : LabelCells) CsvLines.emplace_back(label);
  for (double w : CsvWavelengths) {
    std::string line;
    AppendFixed(line, w, 2);
    CsvLines.push_back(std::move(line));
  }
}

void CCsvWriter::AddCsvColumns(const CKrfData& set, int index, const CsvOptions& options,
                               const std::vector<double>& mergedWavelengths) {
  const CRad& rad = set.Rad(index);
  const PointColumns columns = ColumnsOf(rad, options);
  if (columns.Count() == 0) return;
  // The header may have been built for another line count; never write past it.
  if (CsvLines.size() < LabelLines) CsvLines.resize(LabelLines);
  AppendGroupLabels(CsvLines, rad, columns);

  const size_t lines = std::min(CsvWavelengths.size(), CsvLines.size() - LabelLines);
  if (options.OneNm) {
    // The grid's wavelengths are From, From + 1, ...: each column is read along them at once.
    std::vector<double> values(lines);
    const int from = options.From;
    const int to = from + static_cast<int>(lines) - 1;
    auto fillColumn = [&](auto&& covered) {
      for (size_t i = 0; i < lines; ++i) {
        std::string& line = CsvLines[LabelLines + i];
        if (covered(CsvWavelengths[i]))
          AppendFixed(line, values[i], 2);
        else
          line.push_back(',');
      }
    };
    for (int c = 0; c < columns.ModelColumns; ++c) {
      const int model = columns.Model[static_cast<size_t>(c)];
      SensorWalk(rad.Block(model), set.Info(model)).Fill(values.data(), from, to);
      fillColumn([&](double w) { return set.Covers(model, w); });
    }
    if (columns.Merge) {
      GridWalk(set, rad, MergeSource(rad)).Fill(values.data(), from, to);
      fillColumn([&](double w) {
        return !mergedWavelengths.empty() && mergedWavelengths.front() <= w && mergedWavelengths.back() >= w;
      });
    }
    return;
  }

  // Raw pixels: every column walks its own axis and fills the line whose wavelength matches
  // its next pixel exactly.
  std::array<size_t, ModelCount> cursor{};
  size_t mergedCursor = 0;
  const GridWalk merge(set, rad, MergeSource(rad));
  for (size_t i = 0; i < lines; ++i) {
    const double w = CsvWavelengths[i];
    std::string& line = CsvLines[LabelLines + i];
    for (int c = 0; c < columns.ModelColumns; ++c) {
      const int model = columns.Model[static_cast<size_t>(c)];
      const SensorInfo* info = set.Info(model);
      const SensorMeasurement& block = *rad.Block(model);
      size_t& k = cursor[static_cast<size_t>(c)];
      if (info != nullptr && k < info->Wavelength.size() && k < info->Calib.size() &&
          k < block.Light.size() && k < block.Dark.size() &&
          static_cast<double>(info->Wavelength[k]) == w) {
        AppendFixed(line, PixelIrradiance(block, *info, static_cast<int>(k)), 2);
        // A repeated pixel wavelength (a damaged axis) has had its line: step over the repeats
        // so that the rest of the column still finds its lines.
        while (++k < info->Wavelength.size() && static_cast<double>(info->Wavelength[k]) == w) {
        }
      } else {
        line.push_back(',');
      }
    }
    if (columns.Merge) {
      if (mergedCursor < mergedWavelengths.size() && mergedWavelengths[mergedCursor] == w) {
        AppendFixed(line, merge.At(w), 2);
        // Where both sensors of the pair have a pixel at the same wavelength the merged axis holds
        // it twice, but the file has one line for it.
        while (++mergedCursor < mergedWavelengths.size() && mergedWavelengths[mergedCursor] == w) {
        }
      } else {
        line.push_back(',');
      }
    }
  }
}

bool CCsvWriter::WriteCsvFile(const std::string& path, const CKrfData& set,
                             const CsvOptions& options,
                             const std::vector<double>& mergedWavelengths) {
  const CRad* last = set.LastRad();
  const std::optional<std::tm> local = last != nullptr ? LocalTm(last->MeasureTime) : std::nullopt;
  if (!local) return false;
  const int hour = local->tm_hour;

  BuildCsvHeader(set, options, mergedWavelengths);
  std::vector<int> points;
  size_t cells = 0;   // columns of the hour, to size every line once
  for (int j = 0; j < set.RadCount(); ++j) {
    const std::optional<std::tm> t = LocalTm(set.Rad(j).MeasureTime);
    if (!t || t->tm_hour != hour) continue;
    points.push_back(j);
    cells += static_cast<size_t>(ColumnsOf(set.Rad(j), options).Count());
  }
  // An irradiance cell is rarely longer than "-1234.56," : ten bytes.
  for (size_t i = LabelLines; i < CsvLines.size(); ++i) CsvLines[i].reserve(CsvLines[i].size() + cells * 10);
  for (int j : points) AddCsvColumns(set, j, options, mergedWavelengths);

  std::string data;
  size_t size = 0;
  for (const std::string& line : CsvLines) size += line.size() + 1;
  data.reserve(size);
  for (const std::string& line : CsvLines) {
    data.append(line);
    data.push_back('\n');
  }

  // Whole-file write: a temporary file beside the target, flushed and renamed over it when
  // complete, so a reader sees the old file or the new one, never half of one.
  ReplaceFileWriter file;
  const bool ok = file.Open(path) && file.Write(data) && file.Commit();
  if (!ok) errno = file.Error();
  return ok;
}

}  // namespace spectrel
