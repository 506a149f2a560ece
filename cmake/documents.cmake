# The documents made from the sources: the manual page with its version and day, and the release
# notes and licence in the forms that Debian and RPM packages want them.

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
# For what is made outside CMake from this build (release/make), set anew at each configure.
set(VORLUND_SOURCE_DATE_EPOCH "${VORLUND_SOURCE_DATE_EPOCH}" CACHE INTERNAL "The time of the source")

set(VORLUND_MAINTAINER "vorlund maintainers <maintainers@users.noreply.c-seed-d89c0faa.example>"
    CACHE STRING "Maintainer named in packages, as Name <address>")

# Days since 1970-01-01 in the Gregorian calendar, counted from a year that starts in March, so
# that the leap day comes last.
function(vorlund_days_since_1970 year month day out)
    if(month LESS_EQUAL 2)
        math(EXPR year "${year} - 1")
        math(EXPR month "${month} + 9")
    else()
        math(EXPR month "${month} - 3")
    endif()
    math(EXPR days "${year} * 365 + ${year} / 4 - ${year} / 100 + ${year} / 400 \
        + (153 * ${month} + 2) / 5 + ${day} - 1 - 719468")
    set(${out} ${days} PARENT_SCOPE)
endfunction()

# A time in seconds since 1970, in UTC and the given format. string(TIMESTAMP) formats only the
# present, which SOURCE_DATE_EPOCH stands in for while it runs.
function(vorlund_format_time seconds format out)
    set(caller "$ENV{SOURCE_DATE_EPOCH}")
    set(ENV{SOURCE_DATE_EPOCH} ${seconds})
    string(TIMESTAMP time "${format}" UTC)
    set(ENV{SOURCE_DATE_EPOCH} "${caller}")
    set(${out} "${time}" PARENT_SCOPE)
endfunction()

# NEWS: newest release first, each entry a line "VERSION (YYYY-MM-DD)" and its notes, bullets
# "  * " and their lines indented by four. The newest entry is this version, and its day dates the
# manual page.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS NEWS LICENSE)
file(STRINGS NEWS news)
set(entries 0)
foreach(line IN LISTS news)
    if(line MATCHES "^([0-9.]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
        math(EXPR entries "${entries} + 1")
        set(version_${entries} ${CMAKE_MATCH_1})
        set(date_${entries} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4})
        set(notes_${entries} "")
    elseif(entries GREATER 0)
        string(APPEND notes_${entries} "\n${line}")
    endif()
endforeach()
if(entries EQUAL 0 OR NOT version_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "NEWS: the newest entry is not headed \"${PROJECT_VERSION} (YYYY-MM-DD)\"")
endif()
string(JOIN - VORLUND_RELEASE_DATE ${date_1})

# The same notes as a Debian changelog, each entry closed by the maintainer and a time that grows
# from entry to entry: the source's own for the newest (two releases may share a day), midnight of
# its day for every other. And as an RPM changelog: each entry headed by its day, the maintainer
# and the version-release, bullets "- " and their lines indented by two.
set(VORLUND_RPM_RELEASE 1)
set(debian_changelog "")
set(rpm_changelog "")
foreach(entry RANGE 1 ${entries})
    string(REGEX REPLACE "^\n+" "" notes "${notes_${entry}}")
    string(REGEX REPLACE "\n+$" "" notes "${notes}")
    vorlund_days_since_1970(${date_${entry}} days)
    math(EXPR midnight "${days} * 86400")
    set(signed ${midnight})
    if(entry EQUAL 1)
        set(signed ${VORLUND_SOURCE_DATE_EPOCH})
    endif()
    vorlund_format_time(${signed} "%a, %d %b %Y %H:%M:%S +0000" time)
    vorlund_format_time(${midnight} "%a %b %d %Y" day)
    string(APPEND debian_changelog "${PROJECT_NAME} (${version_${entry}}) unstable; urgency=medium\n\n"
                                   "${notes}\n\n -- ${VORLUND_MAINTAINER}  ${time}\n\n")
    string(REPLACE "\n  * " "\n- " notes "\n${notes}")
    string(REPLACE "\n    " "\n  " notes "${notes}")
    string(APPEND rpm_changelog "* ${day} ${VORLUND_MAINTAINER} - ${version_${entry}}-${VORLUND_RPM_RELEASE}"
                                "${notes}\n\n")
endforeach()
string(REGEX REPLACE "\n+$" "\n" debian_changelog "${debian_changelog}")
string(REGEX REPLACE "\n+$" "\n" rpm_changelog "${rpm_changelog}")
file(CONFIGURE OUTPUT changelog CONTENT "${debian_changelog}")
file(CONFIGURE OUTPUT rpm-changelog CONTENT "${rpm_changelog}")

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

configure_file(share/man/man1/vorlund.1.in vorlund.1 @ONLY)

# Compressed as Debian wants them, without a name or a time stamp that would vary between builds.
foreach(pair "vorlund.1;vorlund.1.gz" "changelog;changelog.gz")
    list(GET pair 0 from)
    list(GET pair 1 to)
    add_custom_command(
        OUTPUT "${to}"
        COMMAND sh -c "gzip -9n <\"$0\" >\"$1\"" "${from}" "${to}"
        DEPENDS "${from}"
        VERBATIM
    )
endforeach()
set(documents vorlund.1.gz changelog.gz)

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
