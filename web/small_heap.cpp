// malloc and free for the WebAssembly core, in place of the C library's general
// allocator (a third of the module). Blocks come in power-of-two sizes, each size on
// its own free list, carved from the end of the memory, which grows as needed. The
// page's pattern (a request, the core's strings, the answer, all freed by the end of
// the call) reuses the same blocks call after call, so memory stops growing once the
// largest call has been made.
#include <cstddef>
#include <cstdint>

extern "C" unsigned char __heap_base;  // where wasm-ld leaves the memory free

namespace {

constexpr std::size_t kHeader = 16;  // holds the block's size class; keeps blocks 16-byte aligned
constexpr std::size_t kSmallest = 32;
constexpr int kClasses = 26;  // 32 B to 1 GiB
constexpr std::size_t kPage = 65536;

struct FreeBlock {
  FreeBlock* next;
};
FreeBlock* free_blocks[kClasses];
std::uintptr_t heap_end = 0;  // the end of what has been carved so far

// The smallest class whose blocks hold `size` bytes after the header, or -1.
int ClassOf(std::size_t size) {
  for (int c = 0; c < kClasses; ++c)
    if ((kSmallest << c) - kHeader >= size) return c;
  return -1;
}

unsigned char* Carve(std::size_t bytes) {
  if (heap_end == 0) heap_end = (reinterpret_cast<std::uintptr_t>(&__heap_base) + kHeader - 1) & ~(kHeader - 1);
  const std::uintptr_t room = __builtin_wasm_memory_size(0) * kPage;
  if (bytes > UINTPTR_MAX - heap_end) return nullptr;
  if (heap_end + bytes > room) {
    const std::size_t pages = (heap_end + bytes - room + kPage - 1) / kPage;
    if (__builtin_wasm_memory_grow(0, pages) == SIZE_MAX) return nullptr;
  }
  auto* block = reinterpret_cast<unsigned char*>(heap_end);
  heap_end += bytes;
  return block;
}

}  // namespace

extern "C" void* malloc(std::size_t size) {
  const int c = ClassOf(size);
  if (c < 0) return nullptr;
  unsigned char* block = reinterpret_cast<unsigned char*>(free_blocks[c]);
  if (block != nullptr)
    free_blocks[c] = free_blocks[c]->next;
  else if ((block = Carve(kSmallest << c)) == nullptr)
    return nullptr;
  *reinterpret_cast<int*>(block) = c;
  return block + kHeader;
}

extern "C" void free(void* pointer) {
  if (pointer == nullptr) return;
  unsigned char* block = static_cast<unsigned char*>(pointer) - kHeader;
  const int c = *reinterpret_cast<int*>(block);
  auto* freed = reinterpret_cast<FreeBlock*>(block);
  freed->next = free_blocks[c];
  free_blocks[c] = freed;
}
