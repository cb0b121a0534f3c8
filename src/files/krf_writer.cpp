// The day file writer: the whole file from the set (written beside the old file and renamed
// over it) or one measurement block appended to an existing file.
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "base/file_output.h"
#include "files/krf_file.h"
#include "files/krf_numbers.h"
#include "files/krf_time.h"

namespace spectrel {

// Binary sections are the records' floats byte for byte, which is little-endian only here.
static_assert(std::endian::native == std::endian::little, "day file sections are little-endian");

namespace {

constexpr size_t FlushBytes = 1 << 20;   // a whole-file write hands over about 1 MB at a time

// A text value as "%s" writes it: up to its first NUL.
void PutText(std::string& out, const std::string& text) { out.append(text.c_str()); }

void PutKeyLine(std::string& out, std::string_view key, const std::string& value) {
  out.append(key);
  out.push_back(',');
  PutText(out, value);
  out.push_back('\n');
}

void PutTag(std::string& out, std::string_view prefix, std::string_view tag, std::string_view suffix) {
  out.append(prefix);
  out.append(tag);
  out.append(suffix);
}

// Exactly 4·N bytes: the first N values (zeros past the end of a short table).
void PutSection(std::string& out, const std::vector<float>& values, int pixels) {
  const size_t n = static_cast<size_t>(pixels);
  const size_t have = values.size() < n ? values.size() : n;
  out.append(reinterpret_cast<const char*>(values.data()), 4 * have);
  out.append(4 * (n - have), '\0');
}

void PutFileHeader(std::string& out, const CKrfData& set) {
  out.append("HD_KRF,100\n");
  PutKeyLine(out, "SITE", set.SiteName);
  PutKeyLine(out, "LON", set.SiteLon);
  PutKeyLine(out, "LAT", set.SiteLat);
  PutKeyLine(out, "ALT", set.SiteAlt);
  PutKeyLine(out, "TZ", set.TimeZone);
  out.append("HD_KRF_END\n");
}

void PutSensorHeader(std::string& out, int model, const SensorInfo& info) {
  const ModelDescription& desc = Models[static_cast<size_t>(model)];
  PutTag(out, "HD_", desc.Tag, ",100\n");
  PutKeyLine(out, "SN", info.SerialNo);
  PutKeyLine(out, "ID", info.SensorId);
  PutKeyLine(out, "ST", info.SensorType);
  PutKeyLine(out, "FV", info.FirmwareVersion);
  PutKeyLine(out, "FT", info.FirmwareTime);
  for (int i = 0; i < 6; ++i) {
    const char key[3] = {'C', static_cast<char>('0' + i), '\0'};
    PutKeyLine(out, key, info.Coef[static_cast<size_t>(i)]);
  }
  out.append("CAL_BGN\n");
  PutSection(out, info.Calib, desc.Pixels);
  out.append("CAL_END\n");
  PutTag(out, "HD_", desc.Tag, "_END\n");
}

void PutSensorData(std::string& out, int model, const SensorMeasurement& block) {
  const ModelDescription& desc = Models[static_cast<size_t>(model)];
  PutTag(out, "DT_", desc.Tag, ",100\n");
  PutKeyLine(out, "SN", block.SerialNo);
  PutKeyLine(out, "MT", FormatKrfTime(block.MeasureTime));
  out.append("ET,");
  AppendKrfInt(out, block.ExposureMs);
  out.append("\nSS");
  for (int i = 0; i < desc.StatusIntCount; ++i) {
    out.push_back(',');
    AppendKrfInt(out, block.StatusInt[static_cast<size_t>(i)]);
  }
  for (int i = 0; i < desc.StatusFloatCount; ++i) {
    out.push_back(',');
    AppendKrfReal(out, block.StatusFloat[static_cast<size_t>(i)]);
  }
  out.append("\nMD_BGN\n");
  PutSection(out, block.Light, desc.Pixels);
  out.append("MD_END\nDD_BGN\n");
  PutSection(out, block.Dark, desc.Pixels);
  out.append("DD_END\n");
  PutTag(out, "DT_", desc.Tag, "_END\n");
}

// The point block of a CRad followed by its sensor data blocks in model order.
void PutMeasurement(std::string& out, const CRad& rad) {
  out.append("DT_KRF,100\n");
  PutKeyLine(out, "MT", FormatKrfTime(rad.MeasureTime));
  PutKeyLine(out, "MEMO", rad.Memo);
  out.append("DT_KRF_END\n");
  for (int model = 0; model < ModelCount; ++model)
    if (const SensorMeasurement* block = rad.Block(model)) PutSensorData(out, model, *block);
}

}  // namespace

namespace {

bool WriteWhole(const CKrfData& set, const std::string& path, bool replace) {
  ReplaceFileWriter file;
  // errno carries the writer's reason to the caller.
  const auto failed = [&file] {
    errno = file.Error();
    return false;
  };
  if (!file.Open(path)) return failed();
  std::string out;
  out.reserve(FlushBytes + 64 * 1024);
  PutFileHeader(out, set);
  for (int model = 0; model < ModelCount; ++model)
    if (const SensorInfo* info = set.Info(model)) PutSensorHeader(out, model, *info);
  for (int j = 0; j < set.RadCount(); ++j) {
    PutMeasurement(out, set.Rad(j));
    if (out.size() >= FlushBytes) {
      if (!file.Write(out)) return failed();
      out.clear();
    }
  }
  if (!file.Write(out)) return failed();
  if (!(replace ? file.Commit() : file.CommitNew())) return failed();
  return true;
}

}  // namespace

std::string KrfBytes(const CKrfData& set) {
  std::string out;
  PutFileHeader(out, set);
  for (int model = 0; model < ModelCount; ++model)
    if (const SensorInfo* info = set.Info(model)) PutSensorHeader(out, model, *info);
  for (int j = 0; j < set.RadCount(); ++j) PutMeasurement(out, set.Rad(j));
  return out;
}

bool SaveKrf(const CKrfData& set, const std::string& path) { return WriteWhole(set, path, true); }

bool SaveNewKrf(const CKrfData& set, const std::string& path) {
  // Refused before anything is written when the name is taken; the link at the end refuses a
  // file that appeared meanwhile.
  if (::access(path.c_str(), F_OK) == 0) {
    errno = EEXIST;
    return false;
  }
  return WriteWhole(set, path, false);
}

bool AppendKrf(const CKrfData& /*set*/, const std::string& path, const CRad& rad) {
  // The whole block in one buffer and one write: a reader never sees half a text line.
  std::string out;
  out.reserve(64 * 1024);
  PutMeasurement(out, rad);
  return AppendToExistingFile(path, out);
}

}  // namespace spectrel
