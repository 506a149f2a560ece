# Run by cpack on the directory it packs, before packing it.
#
# The source tarball (run as an install script, CMAKE_INSTALL_PREFIX the staging directory): the
# files that git tracks in VORLUND_SOURCE_DIR, or, in a tree without git (an unpacked tarball),
# every file but git's own, those of build directories and a release made there (dist/).
#
# A binary package (run as a pre-build script, CPACK_TEMPORARY_DIRECTORY the staging directory):
# its programs stripped as Debian strips its own, of symbols and of the compiler's .comment note,
# and its documents in the package's own forms. Debian wants the licence as its copyright file and
# the release notes as its changelog; RPM marks LICENSE and NEWS as what they are, and rpmlint
# expects manual pages compressed by bzip2.

if(CPACK_INSTALL_CMAKE_PROJECTS)
    set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
    file(GLOB programs "${root}/bin/*")
    foreach(program IN LISTS programs)
        execute_process(
            COMMAND "${VORLUND_STRIP}" --remove-section=.comment --remove-section=.note "${program}"
            COMMAND_ERROR_IS_FATAL ANY
        )
    endforeach()
    if(CPACK_GENERATOR STREQUAL "DEB")
        file(REMOVE "${root}/${VORLUND_DOCDIR}/LICENSE" "${root}/${VORLUND_DOCDIR}/NEWS")
        file(COPY "${VORLUND_BINARY_DIR}/copyright" "${VORLUND_BINARY_DIR}/changelog.gz"
             DESTINATION "${root}/${VORLUND_DOCDIR}")
    elseif(CPACK_GENERATOR STREQUAL "RPM")
        file(REMOVE "${root}/${VORLUND_MANDIR}/man1/vorlund.1.gz")
        execute_process(
            COMMAND bzip2 -9c "${VORLUND_BINARY_DIR}/vorlund.1"
            OUTPUT_FILE "${root}/${VORLUND_MANDIR}/man1/vorlund.1.bz2"
            COMMAND_ERROR_IS_FATAL ANY
        )
    endif()
    return()
endif()

set(source "${VORLUND_SOURCE_DIR}")
find_program(GIT_EXECUTABLE git)
if(GIT_EXECUTABLE AND EXISTS "${source}/.git")
    execute_process(
        COMMAND "${GIT_EXECUTABLE}" -c core.quotePath=false ls-files
        WORKING_DIRECTORY "${source}"
        OUTPUT_VARIABLE files
        OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY
    )
    string(REPLACE "\n" ";" files "${files}")
else()
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${source}" "${source}/*")
    file(GLOB_RECURSE caches LIST_DIRECTORIES false RELATIVE "${source}" "${source}/*CMakeCache.txt")
    set(left_out "^\\.git/|^dist/")
    foreach(cache IN LISTS caches)
        get_filename_component(build "${cache}" DIRECTORY)
        string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" build "${build}")
        string(APPEND left_out "|^${build}/")
    endforeach()
    list(FILTER files EXCLUDE REGEX "${left_out}")
endif()

foreach(file IN LISTS files)
    get_filename_component(folder "${file}" DIRECTORY)
    file(COPY "${source}/${file}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${folder}")
endforeach()
