# Choices that must be made before the project's language is enabled.

# libFuzzer comes with clang, so the fuzzing build is a clang build.
option(VORLUND_FUZZ "Build the fuzz target (selects clang++)" OFF)
if(VORLUND_FUZZ AND NOT DEFINED CMAKE_CXX_COMPILER)
    set(CMAKE_CXX_COMPILER clang++)
endif()

# A static build against musl, whose compiler specs (Debian's musl-tools) turn g++ into a musl
# compiler: a binary that needs nothing installed and starts far faster than a dynamic one.
option(VORLUND_STATIC "Link statically against musl (Debian package musl-tools)" OFF)
if(VORLUND_STATIC)
    cmake_host_system_information(RESULT machine QUERY OS_PLATFORM)
    set(VORLUND_MUSL_SPECS "/usr/lib/${machine}-linux-musl/musl-gcc.specs")
    if(NOT EXISTS "${VORLUND_MUSL_SPECS}")
        message(FATAL_ERROR "VORLUND_STATIC needs musl's compiler specs, ${VORLUND_MUSL_SPECS}: "
                            "install the package musl-tools (apt-get install musl-tools)")
    endif()
    if(NOT DEFINED CMAKE_CXX_COMPILER)
        set(CMAKE_CXX_COMPILER g++)
    endif()
    set(CMAKE_CXX_FLAGS_INIT "-specs ${VORLUND_MUSL_SPECS}")
    set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()
