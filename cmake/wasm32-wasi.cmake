# The calculation core for the browser: Debian's clang for WebAssembly with
# WASI's C library and libc++, as a reactor module (no main; _initialize runs
# the static constructors). Used by the web presets. The compiler is the clang
# of the LLVM whose libc++ for wasm32 scripts/install-deps.sh web chose and installed.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
if(NOT KORVANE_WASM_CXX)
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/install-deps.sh --wasm-llvm-version
                  OUTPUT_VARIABLE wasm_llvm_version OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  find_program(KORVANE_WASM_CXX clang++-${wasm_llvm_version} REQUIRED)
endif()
set(CMAKE_CXX_COMPILER ${KORVANE_WASM_CXX})
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# Smallest code; the core raises no exceptions that a page could catch anyway.
# libc++'s deprecation notices for its C headers are noise here.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -Wno-deprecated")
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Oz -DNDEBUG" CACHE STRING "Flags of the web preset's MinSizeRel build" FORCE)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-mexec-model=reactor -Wl,--strip-all")
