// The day file of a measurement set: whole write, append of one point, and load, from a file or
// from its bytes already in memory.
#pragma once

#include <string>
#include <string_view>

#include "spectrum/records.h"

namespace spectrel {

// Writes the whole set beside path and renames it over the old file; 1 written, 0 not.
int SaveKrf(const CKrfData& set, const std::string& path);
// Appends the point's blocks to the existing file at path (never creates it); 1 written, 0 not.
int AppendKrf(const CKrfData& set, const std::string& path, const CRad& rad);

// Reads the file into set, adding to what it holds. Count of CRad after reading, or -1 bad first
// line, -2 unreadable, -3 missing, -4 no memory. Throws KrfTimeError for an invalid time stamp,
// keeping what was read before.
int LoadKrf(CKrfData& set, const std::string& path);

// The same on the whole file's bytes: count of CRad, or -1 when they do not begin with "HD_KRF,".
// Throws KrfTimeError like LoadKrf: the point or sensor block whose time is invalid is dropped.
int LoadKrfFromBytes(CKrfData& set, std::string_view bytes);

}  // namespace spectrel
