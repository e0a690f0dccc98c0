# End to end: skarvel-cli reads an entry list into a new competition, writes both on-line CSV
# files byte for byte, and refuses bad input with its exit codes (the competition untouched).
# Run by CTest with -DCLI=<skarvel-cli> -DWORK=<scratch dir>.
include(${CMAKE_CURRENT_LIST_DIR}/cli_helpers.cmake)
# The file's bytes against `expected`, where "@R@" stands for the Windows-1251 word for a
# rented card.
function(expect_file path expected)
    file(READ ${path} got HEX)
    string(HEX "${expected}" want)
    string(REPLACE "405240" "e0f0e5ede4e0" want "${want}")
    if(NOT got STREQUAL want)
        file(READ ${path} text)
        message(FATAL_ERROR "${path}:\n${text}")
    endif()
endfunction()

set(wdb ${WORK}/race.wdb)
set(cr "\r")
file(WRITE ${WORK}/entries.csv
    "M21;Ann;North;4;101;85;1234567;ok${cr}\nM21;Bob;South;0;201;1990;7;${cr}\n"
    "M21;Cid;North;0;301;0;0;${cr}\nfive;fields;only;0;1${cr}\nM21;Dan;North;0;40000;0;0;last")
run(0 import entries ${wdb} ${WORK}/entries.csv)
if(NOT last_out MATCHES "4 runners added; 1 new classes, 2 clubs.*skipped: 1.*left 0\\): 1")
    message(FATAL_ERROR "import summary: ${last_out}")
endif()
run(0 export online ${wdb} ${WORK}/online.csv)
set(tail "0;00:00:00,00;00:00:00,00;@R@;${cr}\n")
expect_file(${WORK}/online.csv
    ";;;;;00:00:00,00;Ann;M21;North;101;1234567;${tail};;;;;00:00:00,00;Bob;M21;South;201;7;${tail};;;;;00:00:00,00;Cid;M21;North;301;0;${tail};;;;;00:00:00,00;Dan;M21;North;0;0;${tail}")
run(0 export relay-online ${wdb} ${WORK}/relay.csv)
expect_file(${WORK}/relay.csv ";;;;M21;101;Ann;North;201;Bob;South;301;Cid;North;00:00:00${cr}\n")

# The handheld recorder: a whole event, then penalties by card (an unknown card reported).
set(palm ${WORK}/palm.wdb)
file(WRITE ${WORK}/palm.csv "Ann;500;1;10:00:00;10:30:00;00:30:00;31;10:10:00;${cr}\nshort;1${cr}\n")
run(0 import palm ${palm} ${WORK}/palm.csv)
if(NOT last_out MATCHES "1 runners, 1 card readouts, 1 finish lines.*skipped: 1")
    message(FATAL_ERROR "palm import summary: ${last_out}")
endif()
file(WRITE ${WORK}/penalty.csv "Ann;500;2;10:00:00;10:31:00;;${cr}\nX;999;0;10:00:00;10:40:00;;${cr}\n")
run(0 import palm-penalty ${palm} ${WORK}/penalty.csv)
if(NOT last_out MATCHES "unknown card 999.*1 runners, 2 card readouts, 2 finish lines")
    message(FATAL_ERROR "palm-penalty summary: ${last_out}")
endif()

# Bad input: usage 1, unreadable file 2, a file that does not fit 2; the competition untouched.
file(SHA256 ${wdb} before)
run(1 import)
run(1 import persons ${wdb} ${WORK}/entries.csv)
run(1 import entries ${wdb})
run(2 import entries ${wdb} ${WORK}/missing.csv)
run(1 export nothing ${wdb} ${WORK}/x.csv)
file(SHA256 ${wdb} after)
if(NOT before STREQUAL after)
    message(FATAL_ERROR "a refused import changed the competition file")
endif()
