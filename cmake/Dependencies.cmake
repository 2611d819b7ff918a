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
  find_package(glbinding REQUIRED)
  pkg_check_modules(EGL REQUIRED IMPORTED_TARGET egl)
  pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
  pkg_check_modules(SPNG REQUIRED IMPORTED_TARGET spng)
  if(TILETTA_BENCH)
    find_package(benchmark REQUIRED)
  endif()
endif()

# The build generates the C++ carrier of the built-in templates (tools/templates/emit_cpp.py).
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# NanoVG core, compiled as C++ from Debian's dpf-source (never copied into the repository). Its
# header is copied alone into a folder of the build tree, and only that folder is on the include
# path: the same Debian folder holds NanoVG's own OpenGL back ends, which our code must not reach.
# The core's private headers (font stash, stb) go with its source into another folder.
set(NANOVG_DIR /usr/share/dpf/dgl/src/nanovg CACHE PATH "Folder holding nanovg.c and nanovg.h")
set(nanovg_include ${CMAKE_BINARY_DIR}/nanovg/include)
set(nanovg_src ${CMAKE_BINARY_DIR}/nanovg/src)
configure_file(${NANOVG_DIR}/nanovg.h ${nanovg_include}/nanovg.h COPYONLY)
configure_file(${NANOVG_DIR}/nanovg.c ${nanovg_src}/nanovg.cpp COPYONLY)
foreach(header fontstash.h stb_image.h stb_truetype.h)
  configure_file(${NANOVG_DIR}/${header} ${nanovg_src}/${header} COPYONLY)
endforeach()
add_library(tiletta_nanovg STATIC ${nanovg_src}/nanovg.cpp)
target_include_directories(tiletta_nanovg SYSTEM PUBLIC ${nanovg_include})
target_compile_options(tiletta_nanovg PRIVATE -w -fvisibility=hidden)

# Files the build generates from sources of the repository (see layout/CMakeLists.txt).
set(TILETTA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)

# Common settings for our own targets.
function(tiletta_target name)
  target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:${TILETTA_WARNINGS}>)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()
