# Third-party libraries of the Windows build. glbinding and Clipper are Debian's sources built for
# Windows by scripts/windows_deps.sh into TILETTA_WINDOWS_PREFIX; RapidJSON and GoogleTest come from
# Debian's packages as sources and headers, reached through folders of their own so that the rest
# of the Linux headers stay out of the cross build.

set(tiletta_win_include ${CMAKE_BINARY_DIR}/windows_include)
file(MAKE_DIRECTORY ${tiletta_win_include})
file(CREATE_LINK /usr/include/rapidjson ${tiletta_win_include}/rapidjson SYMBOLIC)

add_library(tiletta_rapidjson INTERFACE)
target_include_directories(tiletta_rapidjson SYSTEM INTERFACE ${tiletta_win_include})

find_package(glbinding REQUIRED CONFIG PATHS ${TILETTA_WINDOWS_PREFIX} NO_DEFAULT_PATH)

find_library(POLYCLIPPING_LIBRARY polyclipping REQUIRED)
find_path(POLYCLIPPING_INCLUDE_DIR clipper.hpp PATH_SUFFIXES polyclipping REQUIRED)
add_library(tiletta_clipper INTERFACE)
target_link_libraries(tiletta_clipper INTERFACE ${POLYCLIPPING_LIBRARY})
target_include_directories(tiletta_clipper SYSTEM INTERFACE ${POLYCLIPPING_INCLUDE_DIR})

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(library gtest gtest_main gmock)
  if(NOT TARGET GTest::${library})
    add_library(GTest::${library} ALIAS ${library})
  endif()
endforeach()
