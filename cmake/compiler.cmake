# Choices that must be made before the project's language is enabled.

# libFuzzer comes with clang, so the fuzzing build is a clang build.
option(VORLUND_FUZZ "Build the fuzz target (selects clang++)" OFF)
if(VORLUND_FUZZ AND NOT DEFINED CMAKE_CXX_COMPILER)
    set(CMAKE_CXX_COMPILER clang++)
endif()

# A static build against musl: a binary that needs nothing installed and starts far faster than a
# dynamic one. musl-gcc (Debian's musl-tools) is gcc with musl's headers and libraries; as gcc, it
# compiles C++ but links no C++ library, which the code does not need.
option(VORLUND_STATIC "Link statically against musl (Debian package musl-tools)" OFF)
if(VORLUND_STATIC)
    find_program(VORLUND_MUSL_GCC musl-gcc)
    if(NOT VORLUND_MUSL_GCC)
        message(FATAL_ERROR "VORLUND_STATIC needs musl-gcc: install the package musl-tools "
                            "(apt-get install musl-tools)")
    endif()
    set(CMAKE_CXX_COMPILER "${VORLUND_MUSL_GCC}")
    set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()
