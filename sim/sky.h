// The light falling on the simulated sensors: a sun-like spectrum with the atmosphere's absorption
// bands, rising and setting with the local time of day.
#pragma once

namespace solmet_sim {

// Spectral irradiance of the sun at local noon, W/m2/um, at wavelength nm.
double NoonIrradiance(double nm);

// Fraction of the noon irradiance at a local time of day (seconds after midnight): 0 before
// sunrise (06:00) and after sunset (18:00), 1 at noon.
double Daylight(int secondsOfDay);

// Seconds after local midnight now, from the system clock and the local time zone.
int LocalSecondsOfDay();

}  // namespace solmet_sim
