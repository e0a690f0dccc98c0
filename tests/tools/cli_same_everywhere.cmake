# The same commands give the same bytes on every platform: a set of skarvel-cli commands is run
# once with the reference program (-DREFERENCE=<skarvel-cli built for this machine>) and once
# with the program under test (-DCLI=<skarvel-cli, through its emulator if it needs one>), each
# in a folder of its own with the same relative file names. Every file they write, and what
# they print, must be equal byte for byte; only the creation time in IOF XML may differ.
# Run by CTest with -DREFERENCE=... -DCLI=... -DWORK=<scratch dir>.
if(NOT EXISTS "${REFERENCE}")
    message(FATAL_ERROR "no reference program at ${REFERENCE} (build the nogui preset first)")
endif()
file(REMOVE_RECURSE ${WORK})

# Each command: its arguments, `|` between commands. A command's standard output, error and
# exit code go to out-<n>.txt in its folder.
set(commands
    "demo race.wdb --runners 60 --seed 7"
    "dump race.wdb"
    "results race.wdb --html results.htm"
    "startlist race.wdb --html start.htm"
    "finish-export race.wdb finish.txt"
    "start-grid race.wdb"
    "split-text race.wdb --card CARD"
    "iof export results race.wdb results.xml"
    "iof export start race.wdb start.xml"
    "iof export entries race.wdb entries.xml"
    "iof export courses race.wdb courses.xml"
    "display start race.wdb --out screens --at 10:00:00"
    "display finish race.wdb --out screens --at 12:00:00"
    "multipage race.wdb --out pages"
    "lists mandate race.wdb --html mandate.htm"
    "lists clubs race.wdb --html clubs.htm"
    "lists classes race.wdb --html classes.htm"
    "lists courses race.wdb --html courses.htm"
    "summary race.wdb --html summary.htm"
    "export osv race.wdb splits.osv"
    "export routegadget race.wdb splits.csv"
    "export splits-html race.wdb splits.htm"
    "export number-card race.wdb number-card.txt"
    "export start-list race.wdb start-list.txt"
    "export online race.wdb online.csv"
    "day-save race.wdb day.txt"
    "convert race.wdb copy.wdb"
    "draw copy.wdb --by-club"
    "numbers copy.wdb --first 101 --step 2"
    "start-times copy.wdb --first 11:00:00 --interval 00:01:00 --per 2"
    "import start-times copy.wdb start-list.txt"
    "finish-import copy.wdb finish.txt --dedupe"
    "iof import entries fresh.wdb entries.xml"
    "iof import results fresh.wdb results.xml"
    "day-read copy.wdb --day 2 day.txt"
    "multiday copy.wdb --days 1,2 --html multiday.htm --places"
    "results copy.wdb --html results-copy.htm"
    "dump copy.wdb"
    "dump fresh.wdb"
    "demo Кубок.wdb --runners 10 --seed 3"
    "convert Кубок.wdb Эстафета.wdb"
    "dump Эстафета.wdb"
    "dump missing.wdb")

function(run_all program dir)
    file(MAKE_DIRECTORY ${dir})
    set(n 0)
    set(card "")
    foreach(command ${commands})
        math(EXPR n "${n} + 1")
        string(REPLACE "CARD" "${card}" command "${command}")
        separate_arguments(args UNIX_COMMAND "${command}")
        execute_process(COMMAND ${program} ${args} WORKING_DIRECTORY ${dir}
            RESULT_VARIABLE rc OUTPUT_FILE ${dir}/out-${n}.txt ERROR_FILE ${dir}/err-${n}.txt)
        file(APPEND ${dir}/exit-codes.txt "${command}: ${rc}\n")
        if(n EQUAL 2)
            # The first read card of the demo, for the split printout.
            file(READ ${dir}/out-2.txt dump)
            string(JSON card GET "${dump}" card_readouts 0 card_number)
        endif()
    endforeach()
endfunction()

separate_arguments(cli UNIX_COMMAND "${CLI}")
run_all("${REFERENCE}" ${WORK}/reference)
run_all("${cli}" ${WORK}/tested)

file(READ ${WORK}/reference/exit-codes.txt codes)
if(NOT codes MATCHES "demo race.wdb [^\n]*: 0\n" OR NOT codes MATCHES "dump missing.wdb: [1-9]")
    message(FATAL_ERROR "the reference run did not run as planned:\n${codes}")
endif()

file(GLOB_RECURSE written RELATIVE ${WORK}/reference ${WORK}/reference/*)
file(GLOB_RECURSE tested RELATIVE ${WORK}/tested ${WORK}/tested/*)
list(SORT written)
list(SORT tested)
if(NOT written STREQUAL tested)
    message(FATAL_ERROR "different files written:\n reference: ${written}\n tested: ${tested}")
endif()
list(LENGTH written count)
set(differ "")
foreach(name ${written})
    if(name MATCHES "\\.xml$")
        # createTime="YYYY-MM-DDTHH:MM:SS" is the moment of writing.
        file(READ ${WORK}/reference/${name} a)
        file(READ ${WORK}/tested/${name} b)
        string(REGEX REPLACE "createTime=\"[^\"]*\"" "" a "${a}")
        string(REGEX REPLACE "createTime=\"[^\"]*\"" "" b "${b}")
    else()
        file(SHA256 ${WORK}/reference/${name} a)
        file(SHA256 ${WORK}/tested/${name} b)
    endif()
    if(NOT a STREQUAL b)
        list(APPEND differ ${name})
    endif()
endforeach()
if(differ)
    message(FATAL_ERROR "these files differ between the two programs: ${differ}")
endif()
message(STATUS "${count} files equal byte for byte")
