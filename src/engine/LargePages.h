#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

// Every fresh 4 KB page the engine writes costs a fault, and on a virtual machine a fault is dear (tens of
// microseconds where the host backs the page on first touch): a list's copy and its index are tens of thousands of
// pages. Asked for 2 MB pages, the kernel fills them in a few hundred faults. Only advice: where large pages are
// off, everything works as before.
namespace LargePages {

inline constexpr size_t Size = size_t(2) << 20;

// Asks for large pages over the whole pages of [begin, begin + size).
inline void advise(void *begin, size_t size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const auto page = uintptr_t(::sysconf(_SC_PAGESIZE));
    if (page == 0)
        return;
    const uintptr_t start = (uintptr_t(begin) + page - 1) & ~(page - 1);
    const uintptr_t end = uintptr_t(begin) + size;
    if (end > start)
        ::madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
#else
    (void)begin;
    (void)size;
#endif
}

// Faults [begin, begin + size) in with one call, where the kernel can (Linux 5.14): a trap per page spared.
inline void prefault(void *begin, size_t size)
{
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    const auto page = uintptr_t(::sysconf(_SC_PAGESIZE));
    if (page == 0 || size == 0)
        return;
    // From the start of the page the range begins in: the caller's own memory.
    const uintptr_t start = uintptr_t(begin) & ~(page - 1);
    ::madvise(reinterpret_cast<void *>(start), uintptr_t(begin) + size - start, MADV_POPULATE_WRITE);
#else
    (void)begin;
    (void)size;
#endif
}

// An allocator that puts arrays of a large page or more on large pages.
template <typename T> struct Allocator
{
    using value_type = T;

    Allocator() = default;
    template <typename U> Allocator(const Allocator<U> &) noexcept {}

    T *allocate(size_t n)
    {
        const size_t bytes = n * sizeof(T);
        if (bytes < Size)
            return std::allocator<T>().allocate(n);
        void *memory = nullptr;
        if (::posix_memalign(&memory, Size, bytes) != 0)
            throw std::bad_alloc();
        advise(memory, bytes);
        return static_cast<T *>(memory);
    }
    void deallocate(T *p, size_t n) noexcept
    {
        if (n * sizeof(T) < Size)
            std::allocator<T>().deallocate(p, n);
        else
            std::free(p);
    }
    template <typename U> bool operator==(const Allocator<U> &) const noexcept { return true; }
};

} // namespace LargePages

template <typename T> using LargeVector = std::vector<T, LargePages::Allocator<T>>;
