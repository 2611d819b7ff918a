# Third-party libraries, all from Debian packages (scripts/setup.sh installs them). The Windows
# build takes glbinding and Clipper from scripts/windows_deps.sh and GoogleTest from its source.

find_package(Threads REQUIRED)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsDependencies.cmake)
else()
  find_package(PkgConfig REQUIRED)
  find_package(GTest REQUIRED)

  # RapidJSON: header only.
  find_path(RAPIDJSON_INCLUDE_DIR rapidjson/document.h REQUIRED)
  add_library(tiletta_rapidjson INTERFACE)
  target_include_directories(tiletta_rapidjson SYSTEM INTERFACE ${RAPIDJSON_INCLUDE_DIR})

  # Clipper 6 (polyclipping).
  pkg_check_modules(POLYCLIPPING REQUIRED IMPORTED_TARGET polyclipping)
  add_library(tiletta_clipper INTERFACE)
  target_link_libraries(tiletta_clipper INTERFACE PkgConfig::POLYCLIPPING)
  target_include_directories(tiletta_clipper SYSTEM INTERFACE ${POLYCLIPPING_INCLUDE_DIRS})

  # OpenGL binding, EGL, Cairo, libspng.
  find_package(glbinding QUIET)
  pkg_check_modules(EGL IMPORTED_TARGET egl)
  pkg_check_modules(CAIRO IMPORTED_TARGET cairo)
  pkg_check_modules(SPNG REQUIRED IMPORTED_TARGET spng)
  find_package(benchmark QUIET)
endif()

# NanoVG core, compiled as C++ from Debian's dpf-source in place (never copied into the repository).
set(NANOVG_DIR /usr/share/dpf/dgl/src/nanovg CACHE PATH "Folder holding nanovg.c and nanovg.h")
if(NOT EXISTS ${NANOVG_DIR}/nanovg.c)
  message(FATAL_ERROR "NanoVG core not found in ${NANOVG_DIR}: run scripts/setup.sh")
endif()
set(NANOVG_BUILD_SRC ${CMAKE_BINARY_DIR}/nanovg_src/nanovg.cpp)
configure_file(${NANOVG_DIR}/nanovg.c ${NANOVG_BUILD_SRC} COPYONLY)
add_library(tiletta_nanovg STATIC ${NANOVG_BUILD_SRC})
target_include_directories(tiletta_nanovg SYSTEM PUBLIC ${NANOVG_DIR})
target_compile_options(tiletta_nanovg PRIVATE -w -fvisibility=hidden)

# Common settings for our own targets.
function(tiletta_target name)
  target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:${TILETTA_WARNINGS}>)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()
