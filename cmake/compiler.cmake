# Choices that must be made before the project's language is enabled.

# libFuzzer comes with clang, so the fuzzing build is a clang build.
option(VORLUND_FUZZ "Build the fuzz target (selects clang++)" OFF)
if(VORLUND_FUZZ AND NOT DEFINED CMAKE_CXX_COMPILER)
    set(CMAKE_CXX_COMPILER clang++)
endif()

# A static build against musl: a binary that needs nothing installed and starts far faster than a
# dynamic one. A cross toolchain file makes the same choice for its target.
option(VORLUND_STATIC "Link statically against musl, as a static PIE (Debian: musl-tools)" OFF)
if(VORLUND_STATIC AND NOT CMAKE_TOOLCHAIN_FILE)
    set(VORLUND_GCC gcc)
    include("${CMAKE_CURRENT_LIST_DIR}/musl-static.cmake")
endif()
