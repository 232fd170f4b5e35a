# The calculation core for the browser: Debian's clang for WebAssembly with
# WASI's C library and libc++, as a reactor module (no main; _initialize runs
# the static constructors). Used by the "web" preset. The compiler is the clang
# of the LLVM whose libc++ for wasm32 is installed (Debian lets only one be;
# scripts/install-deps.sh web chooses it for the release at hand).
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
if(NOT KORVANE_WASM_CXX)
  file(GLOB wasm_libcxx LIST_DIRECTORIES true /usr/lib/llvm-*/include/wasm32-wasi/c++/v1)
  set(wasm_llvm_versions)
  foreach(dir IN LISTS wasm_libcxx)
    if(dir MATCHES "/llvm-([0-9]+)/")
      list(APPEND wasm_llvm_versions ${CMAKE_MATCH_1})
    endif()
  endforeach()
  if(NOT wasm_llvm_versions)
    message(FATAL_ERROR "No libc++ for wasm32 is installed (scripts/install-deps.sh web)")
  endif()
  list(SORT wasm_llvm_versions COMPARE NATURAL ORDER DESCENDING)
  list(GET wasm_llvm_versions 0 wasm_llvm_version)
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
