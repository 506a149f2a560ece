# Fortified C library calls: _FORTIFY_SOURCE at level 3 where the C library and the compiler
# support it (glibc 2.34 with gcc 12 or clang 9), else at level 2, and never below a level that the
# compiler or the flags it was given already define. Only optimised builds: without the optimiser
# glibc warns, which -Werror makes fatal. Not with the sanitizers, which check the same and more
# and would have the calls hidden from them, nor against musl, which has no fortified calls.

if(VORLUND_SANITIZE OR VORLUND_FUZZ OR VORLUND_STATIC)
    return()
endif()

include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_QUIET ON)

# vorlund_fortify_check(VARIABLE FLAGS TEST): whether the preprocessor, given FLAGS and the
# optimiser, lets TEST through "#if !(TEST) #error".
function(vorlund_fortify_check variable flags test)
    set(CMAKE_REQUIRED_FLAGS "-O2 ${flags}")
    check_cxx_source_compiles("#include <stdio.h>\n#if !(${test})\n#error\n#endif\nint main() {}" ${variable})
endfunction()

# glibc downgrades a level it cannot give, and says which it gives in __USE_FORTIFY_LEVEL.
vorlund_fortify_check(VORLUND_FORTIFY_SUPPORTS_3 "-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=3"
                      "defined(__USE_FORTIFY_LEVEL) && __USE_FORTIFY_LEVEL >= 3")
if(VORLUND_FORTIFY_SUPPORTS_3)
    set(level 3)
else()
    set(level 2)
endif()
vorlund_fortify_check(VORLUND_FORTIFY_DEFINED_${level} "" "defined(_FORTIFY_SOURCE) && _FORTIFY_SOURCE >= ${level}")
if(NOT VORLUND_FORTIFY_DEFINED_${level})
    add_compile_options("$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=${level}>")
endif()
