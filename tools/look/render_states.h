// The desktop's states a scientist meets, rendered in English and Japanese for inspection: a
// point of the running day pinned (Back to Live and the "Live" marker), the spectrum zoomed, a
// night spectrum's labels, the day overview's printed page, the 25-hour day of an autumn change
// on the station's clock and in UTC, and a day file that is not there.
#pragma once

#include <QString>

namespace spectrel {

class CMainFrame;

// The running day must hold at least two points; dayFile is a day file of the archive with a
// night point first; missingFile names no file. Writes pinned_<lang>.png, zoomed_<lang>.png,
// night_<lang>.png, overview_page_<lang>.pdf, overview_autumn_<lang>.png,
// overview_autumn_utc_<lang>.png and missing_day_<lang>.png into outFolder; false
// when any could not be made.
bool RenderStates(CMainFrame& frame, const QString& dayFile, const QString& missingFile, const QString& outFolder);

}  // namespace spectrel
