// The page and everything it loads, built into the program from src/web/page/: nothing comes
// from elsewhere, so the page works on a station without internet.
#pragma once

#include <string_view>

namespace spectrel::web {

struct PageAsset {
  std::string_view Path;          // "/", "/app.js", ...
  std::string_view ContentType;
  std::string_view Body;
};

// The asset served at path; null when there is none.
const PageAsset* FindPageAsset(std::string_view path);

}  // namespace spectrel::web
