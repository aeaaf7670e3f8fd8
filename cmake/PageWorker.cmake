# Writes the page's service worker from its template, after the page's
# files are built: the list of files it keeps and the name of its cache,
# taken from a digest of their content (a new build, a new cache).
#   cmake -DPAGE=FOLDER -DTEMPLATE=sw.js.in -DFILES="a;b;..." -P PageWorker.cmake
# writes FOLDER/sw.js; the files are named relative to FOLDER.
foreach(var PAGE TEMPLATE FILES)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "PageWorker.cmake: ${var} is not given")
  endif()
endforeach()
set(digests "")
set(quoted "'./'")
foreach(file IN LISTS FILES)
  if(NOT EXISTS ${PAGE}/${file})
    message(FATAL_ERROR "PageWorker.cmake: the page has no ${file}")
  endif()
  file(SHA256 ${PAGE}/${file} digest)
  string(APPEND digests "${file} ${digest}\n")
  string(APPEND quoted ", '${file}'")
endforeach()
string(SHA256 PAGE_VERSION "${digests}")
string(SUBSTRING ${PAGE_VERSION} 0 16 PAGE_VERSION)
set(PAGE_FILES ${quoted})
configure_file(${TEMPLATE} ${PAGE}/sw.js @ONLY)
