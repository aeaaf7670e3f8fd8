# The release builds of the Linux program, native or for another Linux CPU,
# are hardened as Debian hardens its packages: the flags dpkg-buildflags
# gives with hardening=+all (fortified functions, the stack protector, a
# read-only relocation table bound at start, control-flow protection where
# the CPU has it; Debian's compiler makes position-independent programs of
# its own accord), and its -ffile-prefix-map, which keeps the source's path
# out of the program. The build's own optimisation and debug choices stay.
find_program(SKR_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT SKR_DPKG_BUILDFLAGS)
  return()
endif()
set(host "")
if(CMAKE_CROSSCOMPILING AND CMAKE_LIBRARY_ARCHITECTURE)
  execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(host DEB_HOST_ARCH=${arch})
endif()
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${host}
                          ${SKR_DPKG_BUILDFLAGS} --get ${kind}
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-g$|^-O[0-9sz]?$")
  if(kind STREQUAL "LDFLAGS")
    add_link_options(${flags})
  else()
    add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:${flags}>")
  endif()
endforeach()
