# WebAssembly for WASI: one module, vorlund.wasm, that runs wherever a WASI runtime does (macOS,
# ChromeOS, phones, a web page), beside vorlund.mjs, which runs it under Node.js.
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
list(APPEND CMAKE_MODULE_PATH "${CMAKE_CURRENT_LIST_DIR}/wasi")
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# The module needs no C++ library, and WASI's is not installed with its C library. Its printf need
# not format fractions, which vorlund never prints: without them the module is a sixth smaller.
set(CMAKE_EXE_LINKER_FLAGS_INIT -nostdlib++)
# The stack pointer, the one global that a run changes, is exported, so that a host that runs the
# module many times (the web page, once for each image) can give each run the memory and the stack
# that a new instance would have, at a twentieth of the cost of making one.
set(CMAKE_CXX_FLAGS_INIT -mmutable-globals)
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--export=__stack_pointer")
set(CMAKE_CXX_STANDARD_LIBRARIES_INIT -lc-printscan-no-floating-point)
set(CMAKE_FIND_ROOT_PATH /usr/wasm32-wasi)
# The runner beside the module, under what release/targets runs it with, told to take the module
# from its first argument, as an emulator is given its program.
include("${CMAKE_CURRENT_LIST_DIR}/target.cmake")
set(CMAKE_CROSSCOMPILING_EMULATOR env VORLUND_WASI_EMULATOR=1 ${VORLUND_RUNS_WITH} "${CMAKE_BINARY_DIR}/vorlund.mjs")
