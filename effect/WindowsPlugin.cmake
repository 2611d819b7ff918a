# The Windows library: tiletta.aex, a DLL whose only export is EntryPointFunc (exports.def), with the
# property resource compiled in by windres from the bytes that the build machine writes with
# tools/pipl/WritePipl.cpp (the same constant the Linux library keeps in its ".pipl" section).
enable_language(RC)
find_program(TILETTA_HOST_CXX NAMES g++ c++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(pipl_writer ${CMAKE_CURRENT_BINARY_DIR}/WritePipl)
set(pipl_bin ${CMAKE_CURRENT_BINARY_DIR}/pipl.bin)
add_custom_command(OUTPUT ${pipl_bin}
  COMMAND ${TILETTA_HOST_CXX} -std=c++17 -Wall -Werror -I${PROJECT_SOURCE_DIR}
          ${PROJECT_SOURCE_DIR}/tools/pipl/WritePipl.cpp -o ${pipl_writer}
  COMMAND ${pipl_writer} ${pipl_bin}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/pipl/WritePipl.cpp ${CMAKE_CURRENT_SOURCE_DIR}/PiplBytes.h
  COMMENT "Writing the property resource bytes")
set(PIPL_BIN ${pipl_bin})
configure_file(PiplResource.rc.in ${CMAKE_CURRENT_BINARY_DIR}/PiplResource.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/PiplResource.rc PROPERTIES OBJECT_DEPENDS ${pipl_bin})

add_library(tiletta_plugin SHARED PluginMain.cpp ${CMAKE_CURRENT_BINARY_DIR}/PiplResource.rc exports.def)
tiletta_target(tiletta_plugin)
set_target_properties(tiletta_plugin PROPERTIES
  OUTPUT_NAME tiletta
  PREFIX ""
  SUFFIX .aex
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_link_libraries(tiletta_plugin PRIVATE tiletta_effect)
target_link_options(tiletta_plugin PRIVATE -Wl,--no-undefined)
