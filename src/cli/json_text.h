// Every JSON document the command line prints goes through here, so that texts from sensors and
// day files are written one way: valid UTF-8 as it is, any byte that is not UTF-8 as U+FFFD.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace spectrel::cli {

// Keys stay in the order they were added: scripts and people read the same layout every time.
using Json = nlohmann::ordered_json;

// The document on one line, ending with a line feed.
std::string JsonText(const Json& document);

// A single-precision reading as the shortest decimal that reads back as it; null when not finite.
Json JsonReal(float value);

}  // namespace spectrel::cli
