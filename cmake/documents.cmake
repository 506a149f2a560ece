# The documents made from the sources: the manual page with its version and day, and the licence
# in the form that Debian's packages want it.

# Everything is dated by its source, not by the moment it was made, so that the same source gives
# the same bytes: by SOURCE_DATE_EPOCH if it is set, else by the last commit, else (in a tree
# without git, an unpacked source tarball, whose files all carry the time of the commit it was
# made from) by the time of CMakeLists.txt.
set(VORLUND_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
find_package(Git QUIET)
if(NOT VORLUND_SOURCE_DATE_EPOCH AND GIT_FOUND AND EXISTS "${PROJECT_SOURCE_DIR}/.git")
    execute_process(
        COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
        WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
        OUTPUT_VARIABLE VORLUND_SOURCE_DATE_EPOCH
        OUTPUT_STRIP_TRAILING_WHITESPACE
        ERROR_QUIET
    )
endif()
if(NOT VORLUND_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    file(TIMESTAMP CMakeLists.txt VORLUND_SOURCE_DATE_EPOCH "%s" UTC)
endif()
# Kept in the cache too, where release/make reads it.
set(VORLUND_SOURCE_DATE_EPOCH "${VORLUND_SOURCE_DATE_EPOCH}" CACHE INTERNAL "The time the source is dated by")

set(VORLUND_MAINTAINER "vorlund maintainers <maintainers@users.noreply.c-seed-d89c0faa.example>"
    CACHE STRING "Maintainer named in packages, as Name <address>")

# NEWS: newest release first, each entry a line "VERSION (YYYY-MM-DD)" and its notes. The newest
# entry is this version, and its day dates the manual page. The packages' changelogs are made from
# the whole file when a package is (cmake/cpack-stage.cmake).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS NEWS LICENSE)
file(STRINGS NEWS newest REGEX "^[0-9.]+ \\([0-9-]+\\)$" LIMIT_COUNT 1)
if(NOT newest MATCHES "^${PROJECT_VERSION} \\(([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\\)$")
    message(FATAL_ERROR "NEWS: the newest entry is not headed \"${PROJECT_VERSION} (YYYY-MM-DD)\"")
endif()
set(VORLUND_RELEASE_DATE ${CMAKE_MATCH_1})

# Debian's machine-readable copyright file, made from LICENSE so that the terms live in one place.
file(READ LICENSE license)
if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.+)$")
    message(FATAL_ERROR "LICENSE: no copyright line followed by the terms")
endif()
set(VORLUND_COPYRIGHT "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms "${terms}")
file(
    CONFIGURE
    OUTPUT copyright
    CONTENT "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${PROJECT_NAME}

Files: *
Copyright: ${VORLUND_COPYRIGHT}
License: Expat
 ${terms}
"
)

# The project's description as a summary: its first letter small, as a manual page's NAME and
# Debian's packages have it.
string(SUBSTRING "${PROJECT_DESCRIPTION}" 0 1 first)
string(SUBSTRING "${PROJECT_DESCRIPTION}" 1 -1 rest)
string(TOLOWER "${first}" first)
set(VORLUND_SUMMARY "${first}${rest}")

configure_file(share/man/man1/vorlund.1.in vorlund.1 @ONLY)

# Compressed as Debian and RPM want their documents, without a name or a time stamp that would
# vary between builds; the packages' changelogs too (cmake/cpack-stage.cmake).
set(VORLUND_GZIP gzip -9n)
add_custom_command(
    OUTPUT vorlund.1.gz
    COMMAND sh -c "\"$@\" >vorlund.1.gz" sh ${VORLUND_GZIP} -c vorlund.1
    DEPENDS vorlund.1
    VERBATIM
)
set(documents vorlund.1.gz)

# Windows has no man(1): there the manual is a web page, rendered by mandoc (Debian: mandoc).
if(WIN32)
    find_program(VORLUND_MANDOC mandoc)
    if(VORLUND_MANDOC)
        add_custom_command(
            OUTPUT vorlund.html
            COMMAND sh -c "\"$0\" -T html \"$1\" >\"$2\"" "${VORLUND_MANDOC}" vorlund.1 vorlund.html
            DEPENDS vorlund.1
            VERBATIM
        )
        list(APPEND documents vorlund.html)
    else()
        message(NOTICE "mandoc not found: no vorlund.html, the manual as a web page (Debian: mandoc)")
    endif()
endif()
add_custom_target(documents ALL DEPENDS ${documents})
