#include "files/krf_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "base/c_locale.h"
#include "base/local_time.h"
#include "base/unique_fd.h"
#include "files/krf_lines.h"
#include "files/krf_numbers.h"
#include "base/station_zone.h"
#include "files/krf_time.h"

namespace spectrel {

namespace {

// The tags of one model's blocks, built once from the model table.
struct ModelTags {
  std::string Header;      // "HD_SR101"
  std::string HeaderEnd;   // "HD_SR101_END"
  std::string Data;        // "DT_SR101"
  std::string DataEnd;     // "DT_SR101_END"
};

const std::array<ModelTags, ModelCount>& Tags() {
  static const std::array<ModelTags, ModelCount> tags = [] {
    std::array<ModelTags, ModelCount> t;
    for (int m = 0; m < ModelCount; ++m) {
      const std::string tag(Models[static_cast<size_t>(m)].Tag);
      t[static_cast<size_t>(m)] = {"HD_" + tag, "HD_" + tag + "_END", "DT_" + tag, "DT_" + tag + "_END"};
    }
    return t;
  }();
  return tags;
}

int HeaderModel(std::string_view key) {
  for (int m = 0; m < ModelCount; ++m)
    if (key == Tags()[static_cast<size_t>(m)].Header) return m;
  return -1;
}

int DataModel(std::string_view key) {
  for (int m = 0; m < ModelCount; ++m)
    if (key == Tags()[static_cast<size_t>(m)].Data) return m;
  return -1;
}

class KrfParser {
 public:
  KrfParser(CKrfData& set, std::string_view bytes, KrfReadReport& report, KrfReadMode mode, KrfKeep keep)
      : Set(set), Bytes(bytes), Lines(bytes.data(), bytes.size()), Report(report),
        Salvage(mode == KrfReadMode::Salvage), LastHour(keep == KrfKeep::LastHour) {}

  void Run() {
    Report = KrfReadReport{};
    Report.Size = Bytes.size();
    while (Lines.NextLine() != 0) {
      const std::string_view key = Lines.Token(0);
      if (key == "HD_KRF") {
        Completed(ReadFileHeader());
      } else if (const int model = HeaderModel(key); model >= 0) {
        SensorInfo info(model);
        if (Completed(ReadSensorHeader(info, model))) Set.SetInfo(model, info);
      } else if (key == "DT_KRF") {
        CRad rad;
        BadTime = false;
        std::optional<ClockSeconds> clock;
        if (Completed(ReadPoint(rad, clock))) {
          PointDropped = BadTime;
          if (BadTime) {
            ++Report.DroppedPoints;
          } else {
            // The points' order resolves the hour that a change back of the clock repeats.
            rad.MeasureTime = clock ? Resolver.Next(*clock) : 0;
            // A point of another hour than the last: what came before it is not kept.
            if (LastHour && Set.RadCount() > 0 &&
                LocalHourKey(Set.LastRad()->MeasureTime) != LocalHourKey(rad.MeasureTime)) {
              Report.PointsNotKept += Set.RadCount();
              Set = Set.Header();
              Report.PointClocks.clear();
            }
            Report.PointClocks.push_back(clock ? *clock : StationZone::Process().ClockAt(0));
            Set.AppendRad(std::move(rad));
          }
        }
      } else if (const int model = DataModel(key); model >= 0) {
        // A sensor block before any point has nowhere to go: its lines pass as unknown text.
        if (CRad* last = Set.LastRad()) {
          SensorMeasurement block(model);
          BadTime = false;
          if (Completed(ReadSensorData(block, model))) {
            if (BadTime || PointDropped) ++Report.DroppedBlocks;
            else last->SetBlock(model, std::move(block));
          }
        }
      }
    }
    Report.TailDamaged = Report.CompleteEnd != Report.Size;
  }

 private:
  // Notes where a whole block ended (its end line read up to and with its line feed) and tells
  // whether the block is kept: a block the end of the file cut short is not.
  bool Completed(bool whole) {
    const size_t end = Lines.Position();
    if (whole && end > 0 && Bytes[end - 1] == '\n') Report.CompleteEnd = end;
    return whole || !Lines.AtEnd();
  }

  // Value of the current line: its second token, empty when there is none.
  std::string Value() const { return std::string(Lines.Token(1)); }

  // The clock reading of an "MT" line; nothing for a stamp that is no valid date and time.
  std::optional<ClockSeconds> Clock() {
    const std::optional<ClockSeconds> t = ParseKrfClock(Lines.Token(1));
    if (t) return t;
    // A stamp cut short by the end of the file is part of a damaged tail, not a bad stamp: its
    // block has no end line and is not kept.
    if (Lines.AtEnd() && Bytes[Lines.Position() - 1] != '\n') return std::nullopt;
    if (Salvage) {
      BadTime = true;   // the block is read to its end and then skipped
      return std::nullopt;
    }
    throw KrfTimeError("invalid time stamp \"" + Value() + "\" before byte " +
                       std::to_string(Lines.Position()));
  }

  bool ReadFileHeader() {
    while (Lines.NextLine() != 0) {
      const std::string_view key = Lines.Token(0);
      if (key == "HD_KRF_END") return true;
      if (key == "SITE") Set.SiteName = Value();
      else if (key == "LON") Set.SiteLon = Value();
      else if (key == "LAT") Set.SiteLat = Value();
      else if (key == "ALT") Set.SiteAlt = Value();
      else if (key == "TZ") Set.TimeZone = Value();
    }
    return false;
  }

  void SensorHeaderKey(SensorInfo& info) const {
    const std::string_view key = Lines.Token(0);
    if (key == "SN") info.SerialNo = Value();
    else if (key == "ID") info.SensorId = Value();
    else if (key == "ST") info.SensorType = Value();
    else if (key == "FV") info.FirmwareVersion = Value();
    else if (key == "FT") info.FirmwareTime = Value();
    else if (key.size() == 2 && key[0] == 'C' && key[1] >= '0' && key[1] <= '5')
      info.Coef[static_cast<size_t>(key[1] - '0')] = Value();
  }

  bool ReadSensorHeader(SensorInfo& info, int model) {
    const std::string& end = Tags()[static_cast<size_t>(model)].HeaderEnd;
    while (Lines.NextLine() != 0) {
      const std::string_view key = Lines.Token(0);
      if (key == end) {
        ComputeWavelengths(info);
        return true;
      }
      if (key == "CAL_BGN") {
        if (!TakeSection(info.Calib)) return false;
        // The line after the section ("CAL_END") never closes the block and counts only as a
        // key line with a value.
        if (Lines.NextLine() == 0) return false;
        if (Lines.TokenCount() >= 2) SensorHeaderKey(info);
        continue;
      }
      if (Lines.TokenCount() >= 2) SensorHeaderKey(info);
    }
    return false;
  }

  bool ReadPoint(CRad& rad, std::optional<ClockSeconds>& clock) {
    while (Lines.NextLine() != 0) {
      const std::string_view key = Lines.Token(0);
      if (key == "DT_KRF_END") return true;
      if (key == "MT") clock = Clock();
      else if (key == "MEMO") rad.Memo = Value();
    }
    return false;
  }

  // Dark spectrum after "DD_BGN", then the line after it ("DD_END"), not interpreted.
  bool ReadDark(SensorMeasurement& block) {
    return TakeSection(block.Dark) && Lines.NextLine() != 0;
  }

  // A binary section whole; false when the file ends inside it.
  bool TakeSection(std::vector<float>& values) {
    const size_t want = 4 * values.size();
    return Lines.TakeBytes(values.data(), want) == want;
  }

  bool ReadSensorData(SensorMeasurement& block, int model) {
    const ModelDescription& desc = Models[static_cast<size_t>(model)];
    const std::string& end = Tags()[static_cast<size_t>(model)].DataEnd;
    while (Lines.NextLine() != 0) {
      const std::string_view key = Lines.Token(0);
      if (key == end) return true;
      if (key == "SN") {
        if (Lines.TokenCount() >= 2) block.SerialNo = Value();
      } else if (key == "MT") {
        // A block's reading lies seconds after its point's: the instant nearest the point's.
        const std::optional<ClockSeconds> clock = Clock();
        const CRad* point = Set.LastRad();
        block.MeasureTime = !clock ? 0 : StationZone::Process().NearestInstant(*clock, point ? point->MeasureTime : 0);
      } else if (key == "ET") {
        block.ExposureMs = KrfAtoi(Lines.TokenText(1));
      } else if (key == "SS") {
        // Missing tokens read as 0: a token past the count is empty.
        int t = 1;
        for (int i = 0; i < desc.StatusIntCount; ++i, ++t)
          block.StatusInt[static_cast<size_t>(i)] = KrfAtoi(Lines.TokenText(t));
        for (int i = 0; i < desc.StatusFloatCount; ++i, ++t)
          block.StatusFloat[static_cast<size_t>(i)] =
              KrfToFloat(CAtof(Lines.TokenText(t)));
      } else if (key == "MD_BGN") {
        if (!TakeSection(block.Light)) return false;
        // The line after the light spectrum ("MD_END") matters only when it opens the dark one.
        if (Lines.NextLine() == 0) return false;
        if (Lines.Token(0) == "DD_BGN" && !ReadDark(block)) return false;
      } else if (key == "DD_BGN") {
        if (!ReadDark(block)) return false;
      }
    }
    return false;
  }

  CKrfData& Set;
  std::string_view Bytes;     // the whole file
  KrfLineReader Lines;
  KrfReadReport& Report;
  bool Salvage;               // skip blocks with an invalid time instead of stopping
  bool LastHour;              // keep only the points of the last point's clock hour
  bool BadTime = false;       // the block being read has an invalid time
  bool PointDropped = false;  // the last point was skipped: its sensor blocks go with it
  ClockResolver Resolver{StationZone::Process()};   // the points' instants, in this machine's zone
};

}  // namespace

KrfLoad LoadKrfFromBytes(CKrfData& set, std::string_view bytes, KrfReadReport* report,
                         KrfReadMode mode, KrfKeep keep) {
  KrfReadReport local;
  KrfReadReport& out = report != nullptr ? *report : local;
  out = KrfReadReport{};
  out.Size = bytes.size();
  if (!bytes.starts_with("HD_KRF,")) return {DayLoadError::NotDayFile};
  KrfParser(set, bytes, out, mode, keep).Run();
  return {DayLoadError::None, set.RadCount()};
}

KrfLoad LoadKrf(CKrfData& set, const std::string& path, KrfReadReport* report, KrfReadMode mode,
                KrfKeep keep) {
  if (report != nullptr) *report = KrfReadReport{};
  constexpr KrfLoad Missing{DayLoadError::Missing}, Unreadable{DayLoadError::Unreadable},
      OutOfMemory{DayLoadError::OutOfMemory};
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? Missing : Unreadable;
  // Non-blocking, so a named pipe in place of the file cannot stall the open.
  const UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!file) return errno == ENOENT ? Missing : Unreadable;
  if (::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return Unreadable;
  if (st.st_size > INT32_MAX) return OutOfMemory;   // beyond the reader's 32-bit length

  const size_t size = static_cast<size_t>(st.st_size);
  std::unique_ptr<char[]> buffer;
  try {
    buffer.reset(new char[size > 0 ? size : 1]);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(file.Get(), buffer.get() + got, size - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Unreadable;
    }
    if (n == 0) break;   // the file shrank meanwhile: take what is there
    got += static_cast<size_t>(n);
  }
  try {
    return LoadKrfFromBytes(set, std::string_view(buffer.get(), got), report, mode, keep);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

}  // namespace spectrel
