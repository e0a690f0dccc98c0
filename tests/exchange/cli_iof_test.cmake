# End to end: skarvel-cli builds a competition from the federation's example messages, writes
# every message back, has each validated by xmllint, and refuses bad input with its exit codes.
# Run by CTest with -DCLI=<skarvel-cli> -DWORK=<scratch dir> -DIOF=<shared/iof> -DXMLLINT=<xmllint>.
include(${CMAKE_CURRENT_LIST_DIR}/cli_helpers.cmake)

set(wdb ${WORK}/race.wdb)
run(0 iof import entries ${wdb} ${IOF}/EntryList1.xml)
if(NOT last_out MATCHES "3 runners added")
    message(FATAL_ERROR "entry import summary: ${last_out}")
endif()
run(0 iof import courses ${wdb} ${IOF}/CourseData_Individual_Step2.xml)
run(0 iof import classes ${wdb} ${IOF}/ClassList.xml)
run(0 iof import start ${wdb} ${IOF}/StartList1.xml)
run(0 iof import results ${wdb} ${IOF}/ResultList1.xml)
foreach(kind results start entries courses)
    run(0 iof export ${kind} ${wdb} ${WORK}/${kind}.xml --create-time 2026-12-08T12:00:00)
    execute_process(COMMAND ${XMLLINT} --noout --schema ${IOF}/IOF.xsd ${WORK}/${kind}.xml
        RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${kind}.xml does not validate: ${err}")
    endif()
endforeach()

# Bad input: usage 1, unreadable or refused message 2 (the competition file untouched).
file(SHA256 ${wdb} before)
run(1 iof)
run(1 iof export splits ${wdb} ${WORK}/x.xml)
run(1 iof import persons ${wdb} ${IOF}/EntryList1.xml)
run(2 iof import entries ${wdb} ${WORK}/missing.xml)
run(2 iof import courses ${wdb} ${IOF}/EntryList1.xml)
if(NOT last_out MATCHES "Expected an IOF XML 3.0 CourseData document")
    message(FATAL_ERROR "wrong-kind message: ${last_out}")
endif()
file(SHA256 ${wdb} after)
if(NOT before STREQUAL after)
    message(FATAL_ERROR "a refused import changed the competition file")
endif()
run(2 iof export results ${WORK}/missing.wdb ${WORK}/y.xml)
run(4 iof export results ${wdb} ${WORK}/no-such-dir/z.xml)
