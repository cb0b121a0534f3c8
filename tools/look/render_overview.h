// The day overview for the look renderer: a whole day made from one measured point (the sun rising
// and setting over it, an hour without measurement, a point with a failed sensor), written as a
// day file and read back as any archive day is.
#pragma once

#include <QString>

#include "spectrum/records.h"

namespace spectrel {

class OverviewPane;

// A day from 05:00 to 19:00 local every ten minutes on the date of the measured point.
CKrfData MakeLookDay(const CKrfData& measured);

// Writes the day to folder, opens it in the pane and saves the overview as
// overview_<language>.png for English and Japanese, overview_en.svg and overview_640_en.png (the
// smallest picture labels must fit on). false when any failed.
bool RenderOverviews(OverviewPane& pane, const CKrfData& day, const QString& folder, const QString& outFolder);

}  // namespace spectrel
