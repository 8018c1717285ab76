# Compile settings shared by every target of the project.
#
# Synthesis and the clock's hashes must give the same numbers from build to
# build, so floating-point contraction stays off and fast-math is never used.

add_library(starlume_options INTERFACE)
target_compile_options(starlume_options INTERFACE
  -Wall -Wextra -Wpedantic
  -ffp-contract=off
  -fno-fast-math)

if(STARLUME_SANITIZE)
  target_compile_options(starlume_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(starlume_options INTERFACE -fsanitize=address,undefined)
endif()

# starlume_export_headers(<target> PUBLIC|INTERFACE)
# Makes the calling source directory's headers reachable as "<dir>/Header.h"
# (dir relative to src/) for the target and whoever links it, and no other
# directory's: each target sees only the headers of what it links, so a
# header cannot cross a layer by accident.
function(starlume_export_headers name scope)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${PROJECT_BINARY_DIR}/include/${name})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${name} ${scope} ${root})
endfunction()

# starlume_library(<name> SOURCES ... [DEPS ...])
# One static library per source directory, with its headers exported as
# starlume_export_headers says.
function(starlume_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  starlume_export_headers(${name} PUBLIC)
  target_link_libraries(${name} PUBLIC starlume_options ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()
