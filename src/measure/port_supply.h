// Where the sensors' lines come from, behind the drivers' ports: the ports the profile names, or a
// simulated station's sensors, which plug in where the real ports plug in and leave the user's
// settings alone.
#pragma once

#include <array>
#include <string>

#include "settings/app_settings.h"
#include "spectrum/model_table.h"

namespace spectrel {

// Which models a measurement uses, by ModelIndex.
using ModelSet = std::array<bool, ModelCount>;

class PortSupply {
 public:
  virtual ~PortSupply() = default;
  // The port the model's driver opens, given the profile's port for it. Any thread.
  virtual std::string PortOf(int model, const std::string& configured) const = 0;
  // The models measured, given the profile's choice.
  virtual ModelSet ModelsInUse(const AppSettings& settings) const = 0;
};

// The profile's own ports and choice.
class ProfilePorts : public PortSupply {
 public:
  std::string PortOf(int, const std::string& configured) const override { return configured; }
  ModelSet ModelsInUse(const AppSettings& settings) const override;
};

// The supply of a document that is given none.
const PortSupply& ProfilePortSupply();

}  // namespace spectrel
