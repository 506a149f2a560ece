# What an install puts in place, and the two packages made in the build directory: the Debian
# package (`cpack -G DEB`) and the source tarball (`cpack --config CPackSourceConfig.cmake`).

include(GNUInstallDirs)

set(VORLUND_MAINTAINER "vorlund maintainers <maintainers@users.noreply.c-seed-d89c0faa.example>"
    CACHE STRING "Maintainer named in packages, as Name <address>")

# Packages are dated by their source, not by the moment they were made, so that the same source
# gives the same bytes: by SOURCE_DATE_EPOCH if it is set, else by the last commit, else (in a
# tree without git, an unpacked source tarball, whose files all carry the time of the commit it
# was made from) by the time of CMakeLists.txt.
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

# The closing line of a Debian changelog entry: the maintainer and the time. string(TIMESTAMP)
# formats only the present, which SOURCE_DATE_EPOCH stands in for while it runs.
function(vorlund_sign_off seconds out)
    set(caller "$ENV{SOURCE_DATE_EPOCH}")
    set(ENV{SOURCE_DATE_EPOCH} ${seconds})
    string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
    set(ENV{SOURCE_DATE_EPOCH} "${caller}")
    set(${out} " -- ${VORLUND_MAINTAINER}  ${date}" PARENT_SCOPE)
endfunction()

# NEWS, newest release first, each entry headed "VERSION (YYYY-MM-DD)". Its newest day dates the
# manual page. Debian wants the same notes as a changelog, each entry closed by a line with the
# maintainer and a time that grows from entry to entry: the source's own for the newest (two
# releases may share a day), midnight of its day for every other.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS NEWS LICENSE)
file(STRINGS NEWS news)
set(changelog "")
set(sign_off "")
foreach(line IN LISTS news)
    if(NOT line MATCHES "^([0-9.]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
        if(sign_off)
            string(APPEND changelog "${line}\n")
        endif()
        continue()
    endif()
    set(version ${CMAKE_MATCH_1})
    set(date ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4})
    string(REGEX REPLACE "\n+$" "" changelog "${changelog}")
    if(sign_off)
        string(APPEND changelog "\n\n${sign_off}\n\n")
        vorlund_days_since_1970(${date} days)
        math(EXPR seconds "${days} * 86400")
        vorlund_sign_off(${seconds} sign_off)
    else()
        if(NOT version STREQUAL PROJECT_VERSION)
            message(FATAL_ERROR "NEWS: the newest entry is ${version}, not ${PROJECT_VERSION}")
        endif()
        string(JOIN - VORLUND_RELEASE_DATE ${date})
        vorlund_sign_off(${VORLUND_SOURCE_DATE_EPOCH} sign_off)
    endif()
    string(APPEND changelog "${PROJECT_NAME} (${version}) unstable; urgency=medium\n")
endforeach()
if(NOT sign_off)
    message(FATAL_ERROR "NEWS: no entry headed \"${PROJECT_VERSION} (YYYY-MM-DD)\"")
endif()
string(REGEX REPLACE "\n+$" "" changelog "${changelog}")
file(CONFIGURE OUTPUT changelog CONTENT "${changelog}\n\n${sign_off}\n")

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
add_custom_target(documents ALL DEPENDS vorlund.1.gz changelog.gz)

install(TARGETS vorlund RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${PROJECT_BINARY_DIR}/vorlund.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${PROJECT_BINARY_DIR}/copyright" "${PROJECT_BINARY_DIR}/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DOCDIR}")

set(CPACK_PACKAGE_NAME vorlund)
set(CPACK_PACKAGE_VENDOR "The vorlund developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "identify a Neo Geo Pocket (Color) cartridge image")
# Lines kept short, as Debian's tools show them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "vorlund checks that a cartridge image of the Neo Geo Pocket or Neo Geo Pocket"
    "Color is a whole number of megabits, reads the copyright text, catalog number"
    "and internal name from its header, and prints them in a five-line report."
    "It only reads the image, allocates no memory and needs nothing but the C"
    "library."
)
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VORLUND_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The C library version the binary needs, found by dpkg-shlibdeps (package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# One source format, one top folder; its files are chosen when it is made (cmake/cpack-stage.cmake).
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME "${PROJECT_NAME}-${PROJECT_VERSION}")
set(CPACK_SOURCE_INSTALLED_DIRECTORIES "")

configure_file(cmake/cpack-project.cmake.in CPackProject.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_BINARY_DIR}/CPackProject.cmake")

include(CPack)
