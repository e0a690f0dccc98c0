# The Windows cross-build's dependencies, built from Debian's sources into the build folder
# once: GoogleTest from /usr/src/googletest (libgtest-dev ships it), pugixml from its Debian
# source package (scripts/debian-source.sh, fetched on the first configure).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
foreach(lib gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${lib})
        add_library(GTest::${lib} ALIAS ${lib})
    endif()
endforeach()

set(pugixml_src ${CMAKE_BINARY_DIR}/_deps/pugixml-src)
if(NOT EXISTS ${pugixml_src}/CMakeLists.txt)
    message(STATUS "Fetching pugixml's Debian source package into ${pugixml_src}")
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/debian-source.sh pugixml ${pugixml_src}
        RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "Could not fetch pugixml's source package (scripts/debian-source.sh)")
    endif()
endif()
set(PUGIXML_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(BUILD_SHARED_LIBS OFF)
add_subdirectory(${pugixml_src} ${CMAKE_BINARY_DIR}/_deps/pugixml EXCLUDE_FROM_ALL)
