# Shared by the skarvel-cli scripts of this folder (run by CTest with -DCLI=<skarvel-cli>
# -DWORK=<scratch dir>): a fresh scratch folder, and run(expected_exit_code args...), which
# leaves the command's output in `last_out`.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
function(run expected)
    execute_process(COMMAND ${CLI} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL expected)
        message(FATAL_ERROR "skarvel-cli ${ARGN}: exit ${rc}, expected ${expected}\n${out}${err}")
    endif()
    set(last_out "${out}${err}" PARENT_SCOPE)
endfunction()
