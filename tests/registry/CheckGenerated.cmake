# Regenerates the template text and its C++ carrier into OUT_DIR and fails when they differ from the
# committed files in SOURCE_DIR/layout (someone edited the catalogue without regenerating, or the
# generated files by hand). Run by ctest: cmake -DPYTHON=... -DSOURCE_DIR=... -DOUT_DIR=... -P this.
file(MAKE_DIRECTORY ${OUT_DIR})
execute_process(COMMAND ${PYTHON} ${SOURCE_DIR}/tools/templates/gen_templates.py --out-dir ${OUT_DIR}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the template generator failed (${rc})")
endif()
foreach(f templates.json BuiltinTemplates.h BuiltinTemplates.cpp)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT_DIR}/${f} ${SOURCE_DIR}/layout/${f}
                  RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    message(FATAL_ERROR "layout/${f} is not what tools/templates/gen_templates.py generates")
  endif()
endforeach()
