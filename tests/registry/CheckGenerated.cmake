# Regenerates the template text into OUT_DIR and fails when it differs from the committed
# layout/templates.json in SOURCE_DIR (someone edited the catalogue without regenerating, or the
# text by hand). The C++ carrier is made from that file by the build itself.
# Run by ctest: cmake -DPYTHON=... -DSOURCE_DIR=... -DOUT_DIR=... -P this.
file(MAKE_DIRECTORY ${OUT_DIR})
execute_process(COMMAND ${PYTHON} ${SOURCE_DIR}/tools/templates/gen_templates.py --out-dir ${OUT_DIR}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the template generator failed (${rc})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT_DIR}/templates.json ${SOURCE_DIR}/layout/templates.json
                RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "layout/templates.json is not what tools/templates/gen_templates.py generates")
endif()
