# A Debian package of what install() puts in place: `cpack -G DEB` in the build directory.

set(VORLUND_MAINTAINER "vorlund maintainers <maintainers@users.noreply.c-seed-d89c0faa.example>"
    CACHE STRING "Maintainer named in packages, as Name <address>")

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
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VORLUND_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The C library version the binary needs, found by dpkg-shlibdeps (package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
