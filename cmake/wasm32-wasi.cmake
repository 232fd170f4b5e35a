# The calculation core for the browser: Debian's clang 22 for WebAssembly with
# WASI's C library and libc++, as a reactor module (no main; _initialize runs
# the static constructors). Used by the "web" preset.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++-22)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# Smallest code; the core raises no exceptions that a page could catch anyway.
# libc++'s deprecation notices for its C headers are noise here.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -Wno-deprecated")
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Oz -DNDEBUG" CACHE STRING "Flags of the web preset's MinSizeRel build" FORCE)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-mexec-model=reactor -Wl,--strip-all")
