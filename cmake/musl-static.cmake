# The static build for the architecture of VORLUND_GCC, this machine's gcc or a cross one: musl's
# headers, start files and C library in place of glibc's, from Debian's musl-dev for that
# architecture. gcc, not g++: it compiles C++ but links no C++ library, which the code does not
# need.
#
# Debian's musl specs link a dynamic program, or a static one at a fixed address; static-pie.specs
# takes musl's start file for a static PIE instead, which relocates the program itself, so that
# the static build keeps address randomisation. -B is where that file finds musl's start files.

execute_process(
    COMMAND "${VORLUND_GCC}" -print-multiarch
    OUTPUT_VARIABLE multiarch
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed
)
string(REPLACE "-gnu" "-musl" musl "${multiarch}")
set(musl_lib "/usr/lib/${musl}")
if(failed OR NOT multiarch OR NOT EXISTS "${musl_lib}/musl-gcc.specs" OR NOT EXISTS "${musl_lib}/rcrt1.o")
    message(FATAL_ERROR "VORLUND_STATIC needs ${VORLUND_GCC} and musl for its architecture: install "
                        "musl-tools, or for a cross build musl-dev:ARCH (dpkg --add-architecture ARCH)")
endif()

set(CMAKE_CXX_COMPILER "${VORLUND_GCC}")
# The link line repeats the compile flags, musl's specs among them, so the linker flags only add.
set(CMAKE_CXX_FLAGS_INIT "-specs=${musl_lib}/musl-gcc.specs")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-specs=${CMAKE_CURRENT_LIST_DIR}/static-pie.specs -B${musl_lib}/")
