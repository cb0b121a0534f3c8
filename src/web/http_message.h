// A request as the routes see it and the answer they give, free of the HTTP library.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/unique_fd.h"

namespace spectrel::web {

struct Request {
  std::string Method;   // "GET", "HEAD", ...
  std::string Path;     // the path as sent, not unescaped ("/api/days/20240601")
};

struct Response {
  int Status = 200;
  std::string ContentType = "text/plain; charset=utf-8";
  std::string Body;                                          // unless a file is sent
  UniqueFd File;                                             // an open station file to send whole
  std::int64_t FileBytes = 0;                                // its size
  std::vector<std::pair<std::string, std::string>> Headers;  // more header lines
};

// A plain-text answer: status and one line.
Response TextResponse(int status, const std::string& text);

}  // namespace spectrel::web
