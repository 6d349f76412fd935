// Large blocks on huge pages, for the two programs (not the libraries or the tests).
//
// A 24-megapixel layer is 72 MB; each fresh block of that size costs about 18000 page
// faults on 4 KB pages, which on a virtual machine cost more than the work done on the
// pixels (a flip of such a layer spent four times longer faulting than flipping). Blocks
// of 4 MB and more are therefore placed on 2 MB boundaries and offered to the kernel for
// transparent huge pages, which many systems only give on request ("madvise" mode). Only
// where the memory comes from changes: every byte is what the program writes into it.
//
// Everything still comes from malloc and goes back to free, so the library's own aligned
// forms and any mix of new and free stay consistent.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define TESSARO_KEEP_LIBRARY_NEW 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TESSARO_KEEP_LIBRARY_NEW 1
#endif

#ifndef TESSARO_KEEP_LIBRARY_NEW

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kLargeBlock = std::size_t(4) << 20;

void* Allocate(std::size_t size) noexcept {
    if (size < kLargeBlock) return std::malloc(size == 0 ? 1 : size);
    if (size > SIZE_MAX - kHugePage) return nullptr;
    const std::size_t rounded = (size + kHugePage - 1) & ~(kHugePage - 1);
    void* block = std::aligned_alloc(kHugePage, rounded);
    // Advice only: a kernel without huge pages leaves the block as it is.
    if (block) madvise(block, rounded, MADV_HUGEPAGE);
    return block;
}

void* AllocateOrThrow(std::size_t size) {
    for (;;) {
        if (void* block = Allocate(size)) return block;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return AllocateOrThrow(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

#endif
