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

# starlume_library(<name> SOURCES ... [DEPS ...])
# One static library per source directory, with its headers reachable as
# "<dir>/Header.h" from the src root.
function(starlume_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC starlume_options ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()
