#include "faults.h"

#include <utility>

namespace solmet_sim {
namespace {

constexpr std::pair<Fault, const char*> kFaultNames[] = {
    {Fault::None, "none"},
    {Fault::NoAnswer, "no-answer"},
    {Fault::WrongModelName, "wrong-model-name"},
    {Fault::CalibShort, "calib-short"},
    {Fault::PixelMapShort, "pixel-map-short"},
    {Fault::GmWithoutOk, "gm-without-ok"},
    {Fault::RbShort, "rb-short"},
    {Fault::SsFewValues, "ss-few-values"},
    {Fault::Garbage, "garbage"},
    {Fault::HangUp, "hang-up"},
    {Fault::FtWithoutOk, "ft-without-ok"},
};

}  // namespace

std::optional<Fault> FaultFromName(const std::string& name) {
  for (const auto& [fault, text] : kFaultNames) {
    if (name == text) return fault;
  }
  return std::nullopt;
}

std::string FaultName(Fault fault) {
  for (const auto& [f, text] : kFaultNames) {
    if (f == fault) return text;
  }
  return "none";
}

std::string FaultNames() {
  std::string all;
  for (const auto& entry : kFaultNames) {
    if (!all.empty()) all += ", ";
    all += entry.second;
  }
  return all;
}

std::optional<Light> LightFromName(const std::string& name) {
  if (name == "sun") return Light::Sun;
  if (name == "bright") return Light::Bright;
  if (name == "night") return Light::Night;
  return std::nullopt;
}

}  // namespace solmet_sim
