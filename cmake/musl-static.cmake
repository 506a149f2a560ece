# The static build for the architecture of VORLUND_GCC, this machine's gcc or a cross one: musl's
# headers, start files and C library in place of glibc's, from Debian's musl-dev for that
# architecture. The driver is gcc, not g++: it compiles C++ (with g++'s compiler, which Debian's
# g++ packages bring) but links no C++ library, which the code does not need.
#
# Linked as a static PIE: gcc then takes rcrt1.o, musl's start file that relocates the program
# itself, so that the static build keeps address randomisation. -B is where gcc looks for start
# files first, -L where the linker looks for the C library first: musl's directory, before glibc's.
# What -static-pie asks of the linker is also asked directly: gcc's rules for 32-bit Arm predate
# it, and would link a dynamic program. The stack protector's failure call, which the linker takes
# from musl only when a protected function calls it, is named in the program's own table of
# symbols, the one that stripping keeps, so that a shipped program still shows that it has one.

execute_process(
    COMMAND "${VORLUND_GCC}" -print-multiarch
    OUTPUT_VARIABLE multiarch
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed
)
string(REPLACE "-gnu" "-musl" musl "${multiarch}")
set(musl_lib "/usr/lib/${musl}")
if(failed OR NOT multiarch OR NOT EXISTS "${musl_lib}/rcrt1.o" OR NOT EXISTS "${musl_lib}/libc.a")
    message(FATAL_ERROR "VORLUND_STATIC needs ${VORLUND_GCC} and musl for its architecture: install "
                        "musl-tools, or for a cross build musl-dev:ARCH (dpkg --add-architecture ARCH)")
endif()
execute_process(
    COMMAND "${VORLUND_GCC}" -print-file-name=include
    OUTPUT_VARIABLE gcc_include
    OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY
)

set(CMAKE_CXX_COMPILER "${VORLUND_GCC}")
set(CMAKE_CXX_FLAGS_INIT "-nostdinc -isystem /usr/include/${musl} -isystem ${gcc_include}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-pie -Wl,-static,--no-dynamic-linker,-z,text \
-Wl,--export-dynamic-symbol=__stack_chk_fail -B${musl_lib}/ -L${musl_lib}")
