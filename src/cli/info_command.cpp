// "info": what a day file holds, as text for people or as JSON for scripts.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "files/krf_file.h"
#include "files/krf_time.h"
#include "spectrum/records.h"

namespace spectrel::cli {

namespace {

struct InfoOptions {
  std::string DayFile;   // the day file to read
  bool Json = false;     // --json: one JSON document instead of text
};

// What came of reading the file: the load result, or the message of an invalid time stamp.
struct LoadOutcome {
  std::optional<int> Result;   // LoadKrf's count or negative code; none when it threw
  std::string Error;           // why the load failed, empty when it did not
};

const char* ResultMeaning(int result) {
  switch (result) {
    case -1: return "not a day file";
    case -2: return "cannot be opened";
    case -3: return "no such file";
    case -4: return "out of memory";
    default: return "";
  }
}

// Shortest text that reads back as the same single-precision value, in C conventions.
std::string Real(float value) {
  char text[64];
  const auto r = std::to_chars(text, text + sizeof text, value);
  return std::string(text, r.ptr);
}

// Status reals with the one decimal the day file keeps.
std::string StatusReal(float value) {
  char text[400];
  const auto r = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                               std::chars_format::fixed, 1);
  return std::string(text, r.ptr);
}

std::string Int(long long value) {
  char text[24];
  const auto r = std::to_chars(text, text + sizeof text, value);
  return std::string(text, r.ptr);
}

// Length of a well-formed UTF-8 sequence starting at s[i], 0 when there is none.
size_t Utf8Length(const std::string& s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  size_t n = 0;
  unsigned min = 0;
  unsigned code = 0;
  if (c >= 0xC2 && c <= 0xDF) { n = 2; code = c & 0x1Fu; min = 0x80; }
  else if (c >= 0xE0 && c <= 0xEF) { n = 3; code = c & 0x0Fu; min = 0x800; }
  else if (c >= 0xF0 && c <= 0xF4) { n = 4; code = c & 0x07u; min = 0x10000; }
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(i + k) & 0x3Fu);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return n;
}

// A JSON string. The file's texts are bytes in whatever code page they were entered in: valid
// UTF-8 passes unchanged, any other byte is written as the character of the same number.
std::string Quoted(const std::string& s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c == '\n') { out += "\\n"; ++i; }
    else if (c == '\r') { out += "\\r"; ++i; }
    else if (c == '\t') { out += "\\t"; ++i; }
    else if (c < 0x20 || c == 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else if (const size_t n = Utf8Length(s, i); n > 0) {
      out.append(s, i, n);
      i += n;
    } else {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
      ++i;
    }
  }
  return out + "\"";
}

std::string JsonReal(float value) { return std::isfinite(value) ? Real(value) : "null"; }

LoadOutcome Load(const std::string& path, CKrfData& set) {
  LoadOutcome outcome;
  try {
    outcome.Result = LoadKrf(set, path);
    if (*outcome.Result < 0) outcome.Error = ResultMeaning(*outcome.Result);
  } catch (const KrfTimeError& e) {
    outcome.Error = e.what();
  }
  return outcome;
}

void PrintText(const InfoOptions& options, const CKrfData& set, const LoadOutcome& outcome) {
  std::string out = "file: " + options.DayFile + "\n";
  if (outcome.Result)
    out += "result: " + Int(*outcome.Result) +
           (*outcome.Result < 0 ? std::string(" (") + ResultMeaning(*outcome.Result) + ")" : "") + "\n";
  else
    out += "result: none, reading stopped\n";
  if (outcome.Result && *outcome.Result < 0) {
    std::fwrite(out.data(), 1, out.size(), stdout);
    return;
  }
  out += "site: " + set.SiteName + "\nlongitude: " + set.SiteLon + "\nlatitude: " + set.SiteLat +
         "\naltitude: " + set.SiteAlt + "\ntime zone: " + set.TimeZone + "\n";
  for (int m = 0; m < ModelCount; ++m) {
    const SensorInfo* info = set.Info(m);
    if (!info) continue;
    out += "sensor " + std::string(Models[static_cast<size_t>(m)].Name) + ": serial " + info->SerialNo +
           ", id " + info->SensorId + ", type " + info->SensorType + ", firmware " +
           info->FirmwareVersion + " (" + info->FirmwareTime + ")\n  coefficients:";
    for (const auto& c : info->Coef) {
      out += ' ';
      out += c;
    }
    out += "\n  wavelength: " + Real(info->Wavelength.front()) + " .. " + Real(info->Wavelength.back()) +
           " nm\n";
  }
  for (int j = 0; j < set.RadCount(); ++j) {
    const CRad& rad = set.Rad(j);
    out += "point " + Int(j + 1) + ": " + FormatKrfTime(rad.MeasureTime) + ", memo " + rad.Memo + "\n";
    for (int m = 0; m < ModelCount; ++m) {
      const SensorMeasurement* b = rad.Block(m);
      if (!b) continue;
      const ModelDescription& desc = Models[static_cast<size_t>(m)];
      out += "  " + std::string(desc.Name) + ": serial " + b->SerialNo + ", time " +
             FormatKrfTime(b->MeasureTime) + ", exposure " + Int(b->ExposureMs) + " ms, status";
      for (int i = 0; i < desc.StatusIntCount; ++i) {
        out += ' ';
        out += Int(b->StatusInt[static_cast<size_t>(i)]);
      }
      out += " /";
      for (int i = 0; i < desc.StatusFloatCount; ++i) {
        out += ' ';
        out += StatusReal(b->StatusFloat[static_cast<size_t>(i)]);
      }
      out += "\n";
    }
  }
  if (!outcome.Error.empty()) out += "error: " + outcome.Error + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintJson(const InfoOptions& options, const CKrfData& set, const LoadOutcome& outcome) {
  std::string out = "{\"file\":" + Quoted(options.DayFile) +
                    ",\"result\":" + (outcome.Result ? Int(*outcome.Result) : "null") +
                    ",\"error\":" + (outcome.Error.empty() ? "null" : Quoted(outcome.Error)) +
                    ",\n\"site\":{\"name\":" + Quoted(set.SiteName) + ",\"longitude\":" + Quoted(set.SiteLon) +
                    ",\"latitude\":" + Quoted(set.SiteLat) + ",\"altitude\":" + Quoted(set.SiteAlt) +
                    ",\"time_zone\":" + Quoted(set.TimeZone) + "},\n\"sensors\":[";
  bool first = true;
  for (int m = 0; m < ModelCount; ++m) {
    const SensorInfo* info = set.Info(m);
    if (!info) continue;
    out += first ? "\n" : ",\n";
    first = false;
    out += "{\"model\":" + Quoted(std::string(Models[static_cast<size_t>(m)].Name)) +
           ",\"serial\":" + Quoted(info->SerialNo) + ",\"id\":" + Quoted(info->SensorId) +
           ",\"type\":" + Quoted(info->SensorType) + ",\"firmware_version\":" + Quoted(info->FirmwareVersion) +
           ",\"firmware_time\":" + Quoted(info->FirmwareTime) + ",\"coefficients\":[";
    for (size_t i = 0; i < info->Coef.size(); ++i) {
      if (i) out += ',';
      out += Quoted(info->Coef[i]);
    }
    out += "],\"first_wavelength\":" + JsonReal(info->Wavelength.front()) +
           ",\"last_wavelength\":" + JsonReal(info->Wavelength.back()) + "}";
  }
  out += "],\n\"points\":[";
  for (int j = 0; j < set.RadCount(); ++j) {
    const CRad& rad = set.Rad(j);
    out += j ? ",\n" : "\n";
    out += "{\"time\":" + Quoted(FormatKrfTime(rad.MeasureTime)) + ",\"memo\":" + Quoted(rad.Memo) +
           ",\"blocks\":[";
    bool firstBlock = true;
    for (int m = 0; m < ModelCount; ++m) {
      const SensorMeasurement* b = rad.Block(m);
      if (!b) continue;
      const ModelDescription& desc = Models[static_cast<size_t>(m)];
      out += firstBlock ? "" : ",";
      firstBlock = false;
      out += "{\"model\":" + Quoted(std::string(desc.Name)) + ",\"serial\":" + Quoted(b->SerialNo) +
             ",\"time\":" + Quoted(FormatKrfTime(b->MeasureTime)) + ",\"exposure_ms\":" + Int(b->ExposureMs) +
             ",\"status_int\":[";
      for (int i = 0; i < desc.StatusIntCount; ++i) {
        if (i) out += ',';
        out += Int(b->StatusInt[static_cast<size_t>(i)]);
      }
      out += "],\"status_float\":[";
      for (int i = 0; i < desc.StatusFloatCount; ++i) {
        if (i) out += ',';
        out += JsonReal(b->StatusFloat[static_cast<size_t>(i)]);
      }
      out += "]}";
    }
    out += "]}";
  }
  out += "]}\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
}

void InfoUsage() { std::fputs("usage: spectrel-cli info DAYFILE [--json]\n", stderr); }

}  // namespace

int InfoCommand(const Args& args) {
  InfoOptions options;
  for (const std::string& arg : args) {
    if (arg == "--json") {
      options.Json = true;
    } else if (arg == "--help" || arg == "-h") {
      InfoUsage();
      return 0;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "spectrel-cli info: unknown option '%s'\n", arg.c_str());
      InfoUsage();
      return 2;
    } else if (options.DayFile.empty()) {
      options.DayFile = arg;
    } else {
      std::fputs("spectrel-cli info: one day file at a time\n", stderr);
      InfoUsage();
      return 2;
    }
  }
  if (options.DayFile.empty()) {
    InfoUsage();
    return 2;
  }

  CKrfData set;
  const LoadOutcome outcome = Load(options.DayFile, set);
  if (options.Json)
    PrintJson(options, set, outcome);
  else
    PrintText(options, set, outcome);
  if (!outcome.Error.empty())
    std::fprintf(stderr, "spectrel-cli info: %s: %s\n", options.DayFile.c_str(), outcome.Error.c_str());
  return outcome.Result && *outcome.Result >= 0 ? 0 : 1;
}

}  // namespace spectrel::cli
