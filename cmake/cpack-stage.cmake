# Run by cpack on the directory of a binary package before packing it (CPACK_PRE_BUILD_SCRIPTS):
# its programs stripped as Debian strips its own, of symbols and of the compiler's .comment note,
# unless the build stripped them already, and its documents in the package's own forms.
# Debian wants the licence as its copyright file, the release notes as its changelog, and a word
# for lintian on what a static PIE is; RPM wants the licence under /usr/share/licenses, and the
# notes as the package's %changelog.
#
# The changelogs are NEWS, each entry dated by its day, at midnight UTC, but the newest, which is
# dated by the source's own time, as two releases may share a day: `date`, which knows the calendar,
# writes each date in the form each format asks for.

# Every entry of the package dated by the source, as the archives are.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} "${CPACK_VORLUND_SOURCE_DATE_EPOCH}")
endif()

set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
file(GLOB programs "${root}/bin/*")
if(CPACK_VORLUND_STRIP)
    set(programs "")
endif()
foreach(program IN LISTS programs)
    execute_process(
        COMMAND ${CPACK_VORLUND_STRIP_COMMAND} "${program}"
        COMMAND_ERROR_IS_FATAL ANY
    )
endforeach()

# vorlund_date(SECONDS_OR_DAY FORMAT OUT): a time, as `date -d` reads it, in FORMAT, in UTC.
function(vorlund_date when format out)
    execute_process(
        COMMAND date -u -d "${when}" "+${format}"
        OUTPUT_VARIABLE formatted
        OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY
    )
    set(${out} "${formatted}" PARENT_SCOPE)
endfunction()

# NEWS: each entry a line "VERSION (YYYY-MM-DD)" and its notes, bullets "  * " and their lines
# indented by four. In RPM's form the bullets are "- " and their lines indented by two.
file(STRINGS "${CPACK_VORLUND_SOURCE_DIR}/NEWS" news)
set(changelog "")
set(entry "")
foreach(line IN LISTS news ITEMS "0 (end)")
    if(NOT line MATCHES "^([0-9.]+) \\(([0-9-]+|end)\\)$")
        if(entry)
            string(APPEND notes "\n${line}")
        endif()
        continue()
    endif()
    set(next_entry "${CMAKE_MATCH_1}")
    set(next_day "${CMAKE_MATCH_2}")
    string(REGEX REPLACE "^\n+|\n+$" "" notes "${notes}")
    if(entry AND CPACK_GENERATOR STREQUAL "DEB")
        vorlund_date("${time}" "%a, %d %b %Y %H:%M:%S +0000" signed)
        string(APPEND changelog "vorlund (${entry}) unstable; urgency=medium\n\n${notes}\n\n"
                                " -- ${CPACK_VORLUND_MAINTAINER}  ${signed}\n\n")
    elseif(entry)
        vorlund_date("${time}" "%a %b %d %Y" day)
        string(REPLACE "\n  * " "\n- " notes "\n${notes}")
        string(REPLACE "\n    " "\n  " notes "${notes}")
        string(APPEND changelog "* ${day} ${CPACK_VORLUND_MAINTAINER} - ${entry}-${CPACK_VORLUND_RPM_RELEASE}${notes}\n\n")
    endif()
    set(time "${next_day}")
    if(NOT entry)
        set(time "@${CPACK_VORLUND_SOURCE_DATE_EPOCH}")
    endif()
    set(entry "${next_entry}")
    set(notes "")
endforeach()
string(REGEX REPLACE "\n+$" "\n" changelog "${changelog}")

set(doc "${root}/${CPACK_VORLUND_DOCDIR}")
if(CPACK_GENERATOR STREQUAL "DEB")
    file(REMOVE "${doc}/NEWS")
    file(COPY "${CPACK_VORLUND_BINARY_DIR}/copyright" DESTINATION "${doc}")
    file(WRITE "${CPACK_VORLUND_BINARY_DIR}/changelog" "${changelog}")
    execute_process(
        COMMAND ${CPACK_VORLUND_GZIP}
        INPUT_FILE "${CPACK_VORLUND_BINARY_DIR}/changelog"
        OUTPUT_FILE "${doc}/changelog.gz"
        COMMAND_ERROR_IS_FATAL ANY
    )
    if(CPACK_VORLUND_STATIC)
        file(WRITE "${root}/share/lintian/overrides/vorlund" [[
# A static PIE is ELF type DYN, which lintian takes for a shared library; it needs no library.
vorlund: shared-library-lacks-prerequisites [usr/bin/vorlund]
]])
    endif()
elseif(CPACK_GENERATOR STREQUAL "RPM")
    file(MAKE_DIRECTORY "${root}/share/licenses/vorlund")
    file(COPY "${CPACK_VORLUND_SOURCE_DIR}/LICENSE" DESTINATION "${root}/share/licenses/vorlund"
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    file(WRITE "${CPACK_RPM_CHANGELOG_FILE}" "${changelog}")
endif()
