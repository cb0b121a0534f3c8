// The sensor status values as NetCDF variables, named and unit-labelled after the lines of the
// sensor status report that shows them.
#pragma once

#include <array>
#include <string_view>

namespace spectrel::archive {

struct StatusVariable {
  std::string_view Name;       // variable name before "_SR10x"
  std::string_view Label;      // the status report's label of the value
  std::string_view Units;      // UDUNITS text; "1" for a state code
  bool Integer;                // a StatusInt value (a state code), otherwise a StatusFloat value
  int Index;                   // position in StatusInt or StatusFloat
  std::string_view States;     // meaning of the codes of a state value, empty for a measured value
  bool SecondTemperature;      // only where the model reports a second internal temperature
};

// SR-101 and SR-102, the shorter-wavelength sensors.
inline constexpr std::array<StatusVariable, 5> ShortStatusVariables{{
    {"peltier_status", "Peltier Status", "1", true, 0, "1 Heating, -1 Cooling, other Stop", false},
    {"sensor_temperature", "Sensor Temp.", "degC", false, 0, "", false},
    {"supply_voltage", "Supply Volt.", "V", false, 1, "", false},
    {"peltier_current", "Peltier Curr.", "A", false, 2, "", false},
    {"peltier_voltage", "Peltier Volt.", "V", false, 3, "", false},
}};

// SR-103 and SR-104, the cooled longer-wavelength sensors.
inline constexpr std::array<StatusVariable, 10> LongStatusVariables{{
    {"sensor_cooling", "Sensor Cooling", "1", true, 1, "0 Active, other Stop", false},
    {"fin_status", "Fin Status", "1", true, 2, "0 Normal, other Overheat", false},
    {"peltier_status", "Peltier Status", "1", true, 3, "1 Heating, -1 Cooling, other Stop", false},
    {"sensor_temperature", "Sensor Temp.", "degC", false, 0, "", false},
    {"fin_temperature", "Fin Temp.", "degC", false, 1, "", false},
    {"internal_temperature", "Internal Temp.", "degC", false, 2, "", false},
    {"supply_voltage", "Supply Volt.", "V", false, 3, "", false},
    {"peltier_current", "Peltier Curr.", "A", false, 4, "", false},
    {"peltier_voltage", "Peltier Volt.", "V", false, 5, "", false},
    {"internal_temperature2", "Internal Temp.2", "degC", false, 6, "", true},
}};

}  // namespace spectrel::archive
