// Keeping a number of significant decimal digits of float values with the NetCDF library's own
// quantization, done in a file held only in memory: the values come back with the bits below
// those digits made alike (so that they deflate far better) and take the same way into the day's
// file as any others, which then holds no trace of the library's record of it (an attribute whose
// name CF does not allow).
#pragma once

#include <string>
#include <vector>

namespace spectrel::archive {

// The quantization's name as CF records it.
const char* QuantizeAlgorithm();
// The library's version ("4.9.0"), for the record of the implementation.
std::string NetCdfLibraryVersion();

// Quantizes values in place to digits (1..7) significant decimal digits; NaN and infinities stay
// as they are. Throws NetCdfError when the library cannot.
void QuantizeFloats(std::vector<float>& values, int digits);

}  // namespace spectrel::archive
