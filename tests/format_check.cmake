# The project's C++ sources against its .clang-format. Run by CTest as `format_check`: fails on
# a file that differs from what clang-format makes of it. With -DFIX=ON (scripts/format.sh) it
# formats the files in place instead.
file(GLOB_RECURSE sources
    ${SOURCE}/core/*.cpp ${SOURCE}/core/*.h
    ${SOURCE}/platform/*.cpp ${SOURCE}/platform/*.h
    ${SOURCE}/app/*.cpp ${SOURCE}/app/*.h
    ${SOURCE}/start/*.cpp ${SOURCE}/start/*.h
    ${SOURCE}/punch/*.cpp ${SOURCE}/punch/*.h
    ${SOURCE}/results/*.cpp ${SOURCE}/results/*.h
    ${SOURCE}/exchange/*.cpp ${SOURCE}/exchange/*.h
    ${SOURCE}/periph/*.cpp ${SOURCE}/periph/*.h
    ${SOURCE}/tools/*.cpp ${SOURCE}/tools/*.h
    ${SOURCE}/tests/*.cpp ${SOURCE}/tests/*.h
    ${SOURCE}/bench/*.cpp ${SOURCE}/bench/*.h)
if(FIX)
    execute_process(COMMAND ${CLANG_FORMAT} -i ${sources} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "clang-format failed")
    endif()
    return()
endif()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${sources}
    WORKING_DIRECTORY ${SOURCE} RESULT_VARIABLE rc ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${out}\nThese files need scripts/format.sh.")
endif()
list(LENGTH sources n)
message(STATUS "${n} files formatted as .clang-format asks")
