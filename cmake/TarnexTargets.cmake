# Helpers shared by the subsystem folders.

function(tarnex_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wnon-virtual-dtor
                         $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
  if(TARNEX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# tarnex_library(NAME DIR <folder> [EXCLUDE <subfolder>...] LIBS <libs...>)
# Builds a static library from every .cpp/.h below DIR (minus EXCLUDE folders).
function(tarnex_library name)
  cmake_parse_arguments(ARG "" "DIR" "EXCLUDE;LIBS;RESOURCES" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${ARG_DIR}/*.cpp ${ARG_DIR}/*.h)
  foreach(ex ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "^${ARG_DIR}/${ex}/")
  endforeach()
  add_library(${name} STATIC ${sources} ${ARG_RESOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  tarnex_warnings(${name})
endfunction()

# Every subsystem library registers itself here so tests and tools can link them all.
function(tarnex_register_library name)
  set_property(GLOBAL APPEND PROPERTY TARNEX_LIBRARIES ${name})
endfunction()

# tarnex_subsystem(<folder-name> CORE <qt libs...> UI <qt libs...>)
# Library tarnex_<folder> from <folder>/ (QtCore-side logic) and, when
# <folder>/ui exists, tarnex_<folder>_ui from <folder>/ui (widgets).
function(tarnex_subsystem folder)
  cmake_parse_arguments(ARG "" "" "CORE;UI;RESOURCES" ${ARGN})
  set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  tarnex_library(tarnex_${folder} DIR ${dir} EXCLUDE ui main LIBS ${ARG_CORE} RESOURCES ${ARG_RESOURCES})
  tarnex_register_library(tarnex_${folder})
  if(EXISTS ${dir}/ui)
    tarnex_library(tarnex_${folder}_ui DIR ${dir}/ui LIBS tarnex_${folder} Qt6::Widgets ${ARG_UI})
    tarnex_register_library(tarnex_${folder}_ui)
  endif()
endfunction()
