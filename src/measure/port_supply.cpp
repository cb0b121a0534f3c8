#include "measure/port_supply.h"

#include "measure/settings_options.h"

namespace spectrel {

ModelSet ProfilePorts::ModelsInUse(const AppSettings& settings) const { return UsedModels(settings); }

const PortSupply& ProfilePortSupply() {
  static const ProfilePorts ports;
  return ports;
}

}  // namespace spectrel
