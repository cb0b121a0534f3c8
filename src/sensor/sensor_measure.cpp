// Spectrum acquisition: a light and a dark spectrum at one exposure, chosen automatically from the
// exposure table or fixed by the model, converted to counts per second, and the status values.
#include <cstdint>
#include <string_view>
#include <vector>

#include "sensor/auto_exposure.h"
#include "sensor/reply_parsing.h"
#include "sensor/sensor_driver.h"

namespace spectrel {

namespace {

constexpr int LineWaitSeconds = 1;     // wake-up reply and the line after every block
constexpr int ReplyWaitSeconds = 2;    // shutter, serial number, status and firmware replies
constexpr int BlockWaitSeconds = 10;   // "RB" spectrum block

// Only this firmware answers the second internal temperature; any other text, newer ones
// included, is not asked.
constexpr std::string_view SecondTemperatureFirmware = "1.80";

// Opens or closes the shutter; the sensor's reply is read but not examined.
void Shutter(CSensorDriver& d, bool open) {
  d.SendCommand(open ? "OP" : "CL");
  d.QueryOk(ReplyWaitSeconds);
}

// Exposes for exposureMs and fetches the counts, dead pixels already zeroed. False when a reply
// is missing; the counts are then left as they were.
bool TakeSpectrum(CSensorDriver& d, int exposureMs, std::vector<std::int16_t>& counts) {
  const ModelDescription& model = d.Description();
  d.SetActivity(DriverActivity::Exposing);
  d.SendCommand("GM", exposureMs, 0, 1);
  if (!d.QueryOk(exposureMs / 1000 + 2)) return false;
  d.SetActivity(DriverActivity::ReadingSpectrum);
  d.SendCommand("RB", 0);
  std::vector<std::uint8_t> block(static_cast<size_t>(model.CountsBytes()));
  if (d.ReadBlock(block, BlockWaitSeconds) < 0) return false;
  d.ReadLine(LineWaitSeconds);
  DecodeCounts(block.data(), model.Pixels, counts.data());
  if (model.HasPixelMap) ApplyPixelMap(counts.data(), d.PixelMap.data(), model.Pixels);
  return true;
}

// "SER" and "SS" into the record. A status reply with fewer values than the model carries fails
// the measurement: a retried measurement is better than status values silently read as 0.
bool ReadStatus(CSensorDriver& d, SensorMeasurement& record) {
  const ModelDescription& model = d.Description();
  d.SetActivity(DriverActivity::ReadingStatus);
  d.SendCommand("SER");
  if (!d.QueryOk(ReplyWaitSeconds)) return false;
  record.SerialNo = FieldText(d.Token(0));

  d.SendCommand("SS");
  if (!d.QueryOk(ReplyWaitSeconds)) return false;
  if (d.TokenCount() < model.StatusIntCount + model.SsFloatCount + 1) return false;
  for (int i = 0; i < model.StatusIntCount; ++i)
    record.StatusInt[static_cast<size_t>(i)] = IntegerValue(d.Token(i));
  for (int f = 0; f < model.SsFloatCount; ++f)
    record.StatusFloat[static_cast<size_t>(f)] =
        static_cast<float>(RealValue(d.Token(model.StatusIntCount + f)));
  return true;
}

// The second internal temperature, only from the one firmware that knows "T2".
bool ReadSecondTemperature(CSensorDriver& d, SensorMeasurement& record) {
  record.StatusFloat[6] = NoSecondTemperature;
  d.SendCommand("FV");
  if (!d.QueryOk(ReplyWaitSeconds)) return false;
  if (d.Token(0) != SecondTemperatureFirmware) return true;
  d.SendCommand("T2");
  if (!d.QueryOk(ReplyWaitSeconds)) return false;
  record.StatusFloat[6] = static_cast<float>(RealValue(d.Token(0)));
  return true;
}

void StoreRates(const ModelDescription& model, const std::vector<std::int16_t>& light,
                const std::vector<std::int16_t>& dark, SensorMeasurement& record) {
  CountsToRates(light.data(), dark.data(), model.Pixels, record.ExposureMs, model.SaturationLimit,
                record.Light.data(), record.Dark.data());
}

// The exposure is chosen from the table, starting where the last measurement settled. When the
// passes run out without acceptance, the exposure of the last light spectrum is kept, so light,
// dark and ExposureMs always belong together.
bool MeasureAutomatic(CSensorDriver& d, const Clock& clock) {
  const ModelDescription& model = d.Description();
  int index = ClampExposureIndex(d.ExposureIndex);
  if (!d.WakeUp()) return false;
  Shutter(d, true);

  std::vector<std::int16_t> light(static_cast<size_t>(model.Pixels));
  std::vector<std::int16_t> dark(static_cast<size_t>(model.Pixels));
  std::int64_t lightTime = 0;
  bool failed = false;
  for (int pass = 1; pass <= MaxExposurePasses; ++pass) {
    lightTime = clock.Now();
    if (!TakeSpectrum(d, ExposureTable[static_cast<size_t>(index)], light)) {
      failed = true;
      break;
    }
    const ExposureStep step = DecideExposure(PeakCount(light.data(), model.Pixels), index, model);
    if (step == ExposureStep::Accept || pass == MaxExposurePasses) break;
    index += step == ExposureStep::Shorter ? -1 : 1;
  }
  Shutter(d, false);  // closed even after a failed pass
  if (failed) return false;

  const int exposure = ExposureTable[static_cast<size_t>(index)];
  if (!TakeSpectrum(d, exposure, dark)) return false;
  SensorMeasurement& record = d.Measurement;
  d.ExposureIndex = index;
  record.ExposureMs = exposure;
  record.MeasureTime = lightTime;
  StoreRates(model, light, dark, record);
  return ReadStatus(d, record);
}

// A sensor with a fixed exposure: one light and one dark spectrum, no saturation test.
bool MeasureFixed(CSensorDriver& d, const Clock& clock) {
  const ModelDescription& model = d.Description();
  if (!d.WakeUp()) return false;
  Shutter(d, true);
  const std::int64_t lightTime = clock.Now();

  std::vector<std::int16_t> light(static_cast<size_t>(model.Pixels));
  std::vector<std::int16_t> dark(static_cast<size_t>(model.Pixels));
  if (!TakeSpectrum(d, model.FixedExposureMs, light)) return false;
  Shutter(d, false);
  if (!TakeSpectrum(d, model.FixedExposureMs, dark)) return false;

  SensorMeasurement& record = d.Measurement;
  record.ExposureMs = model.FixedExposureMs;
  record.MeasureTime = lightTime;
  StoreRates(model, light, dark, record);
  if (!ReadStatus(d, record)) return false;
  if (model.SecondTemperature && !ReadSecondTemperature(d, record)) return false;
  return true;
}

}  // namespace

bool CSensorDriver::Measure() {
  MeasureOk = false;
  SetActivity(DriverActivity::Waking);
  const bool ok = Description().FixedExposure() ? MeasureFixed(*this, *ClockRef)
                                               : MeasureAutomatic(*this, *ClockRef);
  SetActivity(DriverActivity::Idle);
  MeasureOk = ok;
  return ok;
}

}  // namespace spectrel
