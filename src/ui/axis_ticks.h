// Ticks that read at any size: a step of 1, 2 or 5 times a power of ten (as the graph's) made
// coarser until every label has the room it needs, and labels with as many decimals as the step
// asks for, so values near zero stay apart and nothing reads "-0.0".
#pragma once

#include <QString>

#include <vector>

namespace spectrel {

// The smallest 1-2-5 step at least span / 5 ... the graph's own step, then made coarser until
// the ticks over span, each needing labelRoom of the available room, fit in room. 0 for an
// empty span or no room.
double StepForRoom(double span, double room, double labelRoom);

// The value with the decimals its step needs; a value that rounds to zero reads "0".
QString TickLabel(double value, double step);

// "1e-3", "0.01", "0.5", "20", "1e+4": short enough for a logarithmic axis's tick.
QString LogTickLabel(double value);

}  // namespace spectrel
