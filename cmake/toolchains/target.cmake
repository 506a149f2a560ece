# Not a toolchain of its own: what every toolchain file here shares, included once it has set
# CMAKE_FIND_ROOT_PATH. Its own row of release/targets, the table of the release's targets, found by
# the file's name: the file that includes this one, or VORLUND_TOOLCHAIN where that is a file shared
# by several. Sets VORLUND_DEB_ARCH and VORLUND_RPM_ARCH (empty for none) and VORLUND_RUNS_WITH, the
# command that runs the target's programs here, as a list (empty when they run natively), which is
# the build's emulator unless the toolchain file sets another after.
if(NOT VORLUND_TOOLCHAIN)
    set(VORLUND_TOOLCHAIN "${CMAKE_PARENT_LIST_FILE}")
endif()
get_filename_component(toolchain "${VORLUND_TOOLCHAIN}" NAME_WE)
set(release "${CMAKE_CURRENT_LIST_DIR}/../../release")
foreach(field deb:VORLUND_DEB_ARCH rpm:VORLUND_RPM_ARCH runs_with:VORLUND_RUNS_WITH)
    string(REPLACE ":" ";" field "${field}")
    list(GET field 1 variable)
    list(GET field 0 field)
    execute_process(
        COMMAND sh "${release}/field" "${release}/targets" ${field} ${toolchain}
        OUTPUT_VARIABLE ${variable}
        OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY
    )
    if(${variable} STREQUAL "-")
        set(${variable} "")
    endif()
endforeach()
separate_arguments(VORLUND_RUNS_WITH UNIX_COMMAND "${VORLUND_RUNS_WITH}")
set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLUND_RUNS_WITH})

# The target's libraries and headers from its own root alone, the programs that build from this
# machine's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
