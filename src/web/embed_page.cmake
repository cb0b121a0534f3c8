# Writes OUT, a C++ file holding each of FILES as a string literal with its served path and type.
set(entries "")
foreach(file ${FILES})
  get_filename_component(name ${file} NAME)
  get_filename_component(ext ${file} LAST_EXT)
  if(name STREQUAL "index.html")
    set(path "/")
  elseif(name STREQUAL "spectrel.svg")
    set(path "/icon.svg")
  else()
    set(path "/${name}")
  endif()
  if(ext STREQUAL ".html")
    set(type "text/html; charset=utf-8")
  elseif(ext STREQUAL ".js")
    set(type "text/javascript; charset=utf-8")
  elseif(ext STREQUAL ".css")
    set(type "text/css; charset=utf-8")
  else()
    set(type "image/svg+xml")
  endif()
  file(READ ${file} body)
  string(FIND "${body}" ")asset\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} holds the literal's end marker")
  endif()
  string(APPEND entries "    {\"${path}\", \"${type}\", R\"asset(${body})asset\"},\n")
endforeach()
file(WRITE ${OUT}.tmp "// Made by embed_page.cmake from src/web/page/: do not edit.
#include \"web/page_assets.h\"

namespace spectrel::web {

namespace {
const PageAsset Assets[] = {
${entries}};
}  // namespace

const PageAsset* FindPageAsset(std::string_view path) {
  for (const PageAsset& asset : Assets)
    if (asset.Path == path) return &asset;
  return nullptr;
}

}  // namespace spectrel::web
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
