# Tools of this source tree built for the build machine, for a cross build
# that needs to run them while it builds (a cross build's own tools are
# built for its target and cannot run here, or only through an emulator).
#
#   skr_host_tools(NAME SUBDIR [NAME SUBDIR]...)
#
# configures this same source tree with the build machine's compiler as a
# headless build (no SDL, no X11, no program, no tests, no benchmarks) in
# <build>/host-tools and builds only the named targets, each of which this
# tree defines in SUBDIR. Each becomes an imported executable host::NAME
# that a custom command runs by that name (no emulator is put in front of
# an imported program); the command DEPENDS on the target skr_host_tools
# and on $<TARGET_FILE:host::NAME>. The host build is brought up to date at
# every build of the cross build, so a change to a tool's sources reaches
# it.
include_guard(GLOBAL)
include(ExternalProject)

function(skr_host_tools)
  set(pairs ${ARGN})
  list(LENGTH pairs count)
  math(EXPR odd "${count} % 2")
  if(count EQUAL 0 OR odd)
    message(FATAL_ERROR "skr_host_tools: give pairs of a target name and its subdirectory")
  endif()
  set(binary_dir ${CMAKE_BINARY_DIR}/host-tools)
  set(targets "")
  set(programs "")
  while(pairs)
    list(POP_FRONT pairs name subdir)
    list(APPEND targets ${name})
    list(APPEND programs ${binary_dir}/${subdir}/${name})
  endwhile()
  # Nothing of the cross build's own settings is handed on: the host build
  # finds the build machine's compiler and libraries by itself.
  ExternalProject_Add(skr_host_tools
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${binary_dir}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DSKR_HEADLESS=ON -DSKR_TESTS=OFF -DSKR_BENCH=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${binary_dir} --target ${targets} --parallel 2
    BUILD_BYPRODUCTS ${programs}
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
  foreach(name program IN ZIP_LISTS targets programs)
    add_executable(host::${name} IMPORTED GLOBAL)
    set_target_properties(host::${name} PROPERTIES IMPORTED_LOCATION ${program})
  endforeach()
endfunction()
