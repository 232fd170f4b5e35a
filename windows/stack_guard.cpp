// The stack protector's guard value and its failure handler, in place of GCC's
// libssp. libssp takes the guard from CryptAcquireContext, which loads a whole
// cryptographic provider before the window can be made; RtlGenRandom gives the
// same kind of random bytes from the system's generator at a fraction of the cost.
// Being defined here, the linker takes these and never libssp's.
#include <windows.h>
// after windows.h, which it needs
#include <ntsecapi.h>

#include <cstdint>

extern "C" {

// Until the constructor runs; its low half on 32-bit Windows.
std::uintptr_t __stack_chk_guard = static_cast<std::uintptr_t>(0x2f8d'7c41'9b3e'a6d5u);

// A smashed stack ends the process at once, as Windows' own programs end:
// no handler of the damaged program runs, and Windows Error Reporting sees why. Windows 7
// has no such interrupt (its int 0x29 would be an exception that a handler could catch).
[[noreturn]] void __stack_chk_fail() {
  if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE))
    asm volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE));
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
  __builtin_unreachable();
}

}  // extern "C"

namespace {

// Runs before every other constructor and before wWinMain, itself unguarded: its
// own check would compare the new value with the one its entry saved.
[[gnu::constructor(101), gnu::no_stack_protector]] void SetStackGuard() {
  std::uintptr_t guard = 0;
  if (RtlGenRandom(&guard, sizeof guard) && guard != 0) __stack_chk_guard = guard;
}

}  // namespace
