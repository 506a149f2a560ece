# What an install puts in place, and the packages made in the build directory: Debian's
# (`cpack -G DEB`) and RPM's (`cpack -G RPM`).

include(GNUInstallDirs)

# The program, its manual page and the release notes. Not the licence: every distribution ships it
# its own way (Debian as the copyright file, Fedora, openSUSE and Arch under /usr/share/licenses),
# as the packages here do too (cmake/cpack-stage.cmake), and a copy in the documents would be one
# more for each of them to delete.
install(TARGETS vorlund RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${PROJECT_BINARY_DIR}/vorlund.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES NEWS DESTINATION "${CMAKE_INSTALL_DOCDIR}")

set(CPACK_PACKAGE_NAME vorlund)
set(CPACK_PACKAGE_VENDOR "The vorlund developers")
# The summary is the project's description, which Debian wants starting with a small letter.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${VORLUND_SUMMARY}")
# Lines kept short, as Debian's tools show them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "vorlund checks that a cartridge image of the Neo Geo Pocket or Neo Geo Pocket"
    "Color is a whole number of megabits, reads the copyright text, catalog number"
    "and internal name from its header, and prints them in a five-line report."
    "It only reads the image and allocates no memory."
)
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")

# A toolchain names its architecture; otherwise it is this machine's.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
if(VORLUND_DEB_ARCH)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VORLUND_DEB_ARCH})
endif()
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VORLUND_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# A program against the system's C library depends on the version of it that dpkg-shlibdeps
# (package dpkg-dev) finds in the symbols it declares; a static one depends on nothing.
if(NOT VORLUND_STATIC)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

# RPM: what the program needs is found by rpmbuild from the binary, but for a static one, which
# needs nothing, not even the loader's hash table that rpmbuild would ask for. The summary starts with a
# capital there, as the project's description does, and the licence goes where Fedora and openSUSE
# keep licences
# (cmake/cpack-stage.cmake).
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
if(VORLUND_STATIC)
    set(CPACK_RPM_PACKAGE_AUTOREQ OFF)
endif()
if(VORLUND_RPM_ARCH)
    set(CPACK_RPM_PACKAGE_ARCHITECTURE ${VORLUND_RPM_ARCH})
endif()
set(VORLUND_RPM_RELEASE 1)
set(CPACK_RPM_PACKAGE_RELEASE ${VORLUND_RPM_RELEASE})
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_GROUP Applications/File)
set(CPACK_PACKAGE_RELOCATABLE OFF)
set(CPACK_RPM_PACKAGE_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_RPM_CHANGELOG_FILE "${PROJECT_BINARY_DIR}/rpm-changelog")
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/man /usr/share/man/man1 /usr/share/licenses)
set(CPACK_RPM_USER_FILELIST "%license /usr/share/licenses/vorlund/LICENSE" "%doc /usr/${CMAKE_INSTALL_DOCDIR}/NEWS")
# Dated by the source and built on no host in particular, so that two builds give the same bytes.
string(JOIN "\n" CPACK_RPM_SPEC_MORE_DEFINE
    "%define packager ${VORLUND_MAINTAINER}"
    "%define _buildhost reproducible"
    "%define use_source_date_epoch_as_buildtime 1"
    "%define clamp_mtime_to_source_date_epoch 1"
)

# What cmake/cpack-stage.cmake needs of the build, which CPack hands on as it does every CPACK_
# variable.
set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/cpack-stage.cmake")
foreach(variable SOURCE_DIR BINARY_DIR)
    set(CPACK_VORLUND_${variable} "${PROJECT_${variable}}")
endforeach()
foreach(variable SOURCE_DATE_EPOCH STRIP_COMMAND STRIP STATIC MAINTAINER RPM_RELEASE GZIP)
    set(CPACK_VORLUND_${variable} "${VORLUND_${variable}}")
endforeach()
set(CPACK_VORLUND_DOCDIR "${CMAKE_INSTALL_DOCDIR}")

include(CPack)
