# End to end: skarvel-cli writes the start list of a demo competition, reads changed start times
# and penalties back into it, and refuses bad input without touching the file.
# Run by CTest with -DCLI=<skarvel-cli> -DWORK=<scratch dir>.
include(${CMAKE_CURRENT_LIST_DIR}/cli_helpers.cmake)

set(wdb ${WORK}/race.wdb)
run(0 demo ${wdb} --runners 3 --seed 1)
file(WRITE ${WORK}/times.txt "1 12:00:00\r\n2 90\r\n0 10:00\r\n")
run(0 import start-times ${wdb} ${WORK}/times.txt)
if(NOT last_out MATCHES "Start times set: 2. Lines skipped: number outside 1..29999 - 1")
    message(FATAL_ERROR "start time import summary: ${last_out}")
endif()
run(0 export start-list ${wdb} ${WORK}/start.txt)
# "1 12:00:00\r\n2 01:30:00\r\n3 " (read as hex: CMake would drop the CRs).
file(READ ${WORK}/start.txt written HEX)
string(FIND "${written}" "312031323a30303a30300d0a322030313a33303a30300d0a3320" at)
if(NOT at EQUAL 0)
    message(FATAL_ERROR "start list: ${written}")
endif()
file(WRITE ${WORK}/shtraf.txt "3 12\r\n3 70000\r\n")
run(0 import penalties ${wdb} ${WORK}/shtraf.txt)
if(NOT last_out MATCHES "Penalties set: 1. Lines skipped: number outside 1..29999 - 0, penalty outside 0..65535 - 1")
    message(FATAL_ERROR "penalty import summary: ${last_out}")
endif()

file(SHA256 ${wdb} before)
run(1 import)
run(1 import persons ${wdb} ${WORK}/times.txt)
run(2 import penalties ${wdb} ${WORK}/missing.txt)
run(4 export start-list ${wdb} ${WORK}/no-such-folder/start.txt)
file(SHA256 ${wdb} after)
if(NOT before STREQUAL after)
    message(FATAL_ERROR "a refused command changed the competition file")
endif()
