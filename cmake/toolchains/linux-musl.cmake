# Not a toolchain of its own: what the Linux toolchains here share, and this machine's own static
# build (-DVORLUND_STATIC=ON, which CMakeLists.txt turns into this file). Each Linux toolchain sets
# CMAKE_SYSTEM_PROCESSOR and VORLUND_TARGET, the GNU triple of Debian's compilers for it
# (g++-TARGET), then includes this file: a static PIE against that architecture's musl (Debian's
# musl-dev:ARCH), which runs on any Linux of the architecture with nothing installed, its tests run
# under the command its row of release/targets names.
#
# The driver is gcc, not g++: it compiles C++ (with g++'s compiler, which Debian's g++ packages
# bring) but links no C++ library, which the code does not need. musl's headers, start files and C
# library take the place of glibc's.
#
# Linked as a static PIE: gcc then takes rcrt1.o, musl's start file that relocates the program
# itself, so that the static build keeps address randomisation. -B is where gcc looks for start
# files first, -L where the linker looks for the C library first: musl's directory, before glibc's.
# What -static-pie asks of the linker is also asked directly: gcc's rules for 32-bit Arm predate
# it, and would link a dynamic program. The stack protector's failure call, which the linker takes
# from musl only when a protected function calls it, is named in the program's own table of
# symbols, the one that stripping keeps, so that a shipped program still shows that it has one.
set(VORLUND_STATIC ON)
set(gcc gcc)
if(VORLUND_TARGET)
    set(CMAKE_SYSTEM_NAME Linux)
    set(gcc ${VORLUND_TARGET}-gcc)
endif()
execute_process(
    COMMAND "${gcc}" -print-multiarch
    OUTPUT_VARIABLE multiarch
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed
)
string(REPLACE "-gnu" "-musl" musl "${multiarch}")
set(musl_lib "/usr/lib/${musl}")
if(failed OR NOT multiarch OR NOT EXISTS "${musl_lib}/rcrt1.o" OR NOT EXISTS "${musl_lib}/libc.a")
    message(FATAL_ERROR "A static build needs ${gcc} and musl for its architecture: install musl-tools, "
                        "or for a cross build musl-dev:ARCH (dpkg --add-architecture ARCH)")
endif()
execute_process(
    COMMAND "${gcc}" -print-file-name=include
    OUTPUT_VARIABLE gcc_include
    OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY
)
set(CMAKE_C_COMPILER "${gcc}")
set(CMAKE_CXX_COMPILER "${gcc}")
set(CMAKE_CXX_FLAGS_INIT "-nostdinc -isystem /usr/include/${musl} -isystem ${gcc_include}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-pie -Wl,-static,--no-dynamic-linker,-z,text \
-Wl,--export-dynamic-symbol=__stack_chk_fail -B${musl_lib}/ -L${musl_lib}")

if(NOT VORLUND_TARGET)
    return() # this machine's own build: its own binutils, its own architecture, its own programs
endif()
# CMake finds the target's binutils by the C++ compiler's name, which gcc does not give away.
foreach(tool ar ranlib strip)
    string(TOUPPER ${tool} variable)
    set(CMAKE_${variable} ${VORLUND_TARGET}-${tool} CACHE FILEPATH "")
endforeach()
set(CMAKE_FIND_ROOT_PATH /usr/${VORLUND_TARGET})
set(VORLUND_TOOLCHAIN "${CMAKE_PARENT_LIST_FILE}") # the file that includes this one
include("${CMAKE_CURRENT_LIST_DIR}/target.cmake")
