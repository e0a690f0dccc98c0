# End to end: skarvel-cli reads course control orders into a new competition at both relay
# scales, and refuses bad input with its exit codes (the competition untouched).
include(${CMAKE_CURRENT_LIST_DIR}/cli_helpers.cmake)

set(wdb ${WORK}/courses.wdb)
file(WRITE ${WORK}/order.txt
    "1;A;2.1;4500;120;0;0;S1;230;31;410;32;380;F1;\r\n1;B;3.2;900;5;0;0;S1;100;F1\r\n")
run(0 import ocad8 ${wdb} ${WORK}/order.txt)
if(NOT last_out MATCHES "OCAD8 import: 2 courses added")
    message(FATAL_ERROR "import summary: ${last_out}")
endif()
run(0 import ocad8 ${wdb} ${WORK}/order.txt --relay-scale 1000)
run(0 dump ${wdb})
string(REPLACE " " "" dump "${last_out}")
string(REGEX MATCHALL "\"name\":\"[0-9]+\"" names "${dump}")
string(REGEX MATCHALL "\"control_count\":[0-9]+" counts "${dump}")
string(REPLACE "\"" "" names "${names}")
string(REPLACE "\"" "" counts "${counts}")
if(NOT names STREQUAL "name:102;name:203;name:1002;name:2003"
   OR NOT counts STREQUAL "control_count:4;control_count:1;control_count:4;control_count:1")
    message(FATAL_ERROR "courses: ${names} ${counts}\n${last_out}")
endif()

# Bad input: usage 1, unreadable file 2; the competition untouched.
file(SHA256 ${wdb} before)
run(1 import ocad8 ${wdb} ${WORK}/order.txt --relay-scale 10)
run(1 import ocad8 ${wdb})
run(2 import ocad8 ${wdb} ${WORK}/missing.txt)
file(SHA256 ${wdb} after)
if(NOT before STREQUAL after)
    message(FATAL_ERROR "a refused import changed the competition file")
endif()
