# Regenerates the form into OUT and fails when it differs from the committed one.
execute_process(COMMAND ${PYTHON} ${GENERATOR} -o ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "formgen failed (${rc})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${COMMITTED} RESULT_VARIABLE differs)
if(differs)
    message(FATAL_ERROR "src/app/widget.ui is not what tools/formgen/formgen.py makes; run it and commit the result")
endif()
