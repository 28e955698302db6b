#include "model/Huge_Pages.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#define SIFA_HUGE_PAGES 1
#endif

namespace {

constexpr std::size_t kHuge = std::size_t(2) << 20;
// Below this a load is quick anyway.
constexpr std::size_t kWorthIt = std::size_t(8) << 20;
// mallopt takes an int.
constexpr std::size_t kMost = std::size_t(1) << 30;
// glibc's own default top pad.
constexpr int kDefault_Top_Pad = 128 * 1024;

#if defined(SIFA_HUGE_PAGES)
std::uintptr_t Page_Size() {
    const long p = sysconf(_SC_PAGESIZE);
    return p > 0 ? static_cast<std::uintptr_t>(p) : 4096;
}

// The whole pages of [from, to).
void Advise(std::uintptr_t from, std::uintptr_t to) {
#if defined(MADV_HUGEPAGE)
    const std::uintptr_t page = Page_Size();
    const std::uintptr_t a = (from + page - 1) & ~(page - 1);
    const std::uintptr_t b = to & ~(page - 1);
    if (b > a) madvise(reinterpret_cast<void*>(a), b - a, MADV_HUGEPAGE);
#else
    (void)from;
    (void)to;
#endif
}
#endif

}  // namespace

void Advise_Huge_Pages(void* block, std::size_t bytes) {
#if defined(SIFA_HUGE_PAGES)
    if (!block || bytes < kWorthIt) return;
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    Advise(at, at + bytes);
#else
    (void)block;
    (void)bytes;
#endif
}

Huge_Page_Heap::Huge_Page_Heap(std::size_t bytes) {
#if defined(SIFA_HUGE_PAGES)
    if (bytes < kWorthIt) return;
    if (bytes > kMost) bytes = kMost;
    bytes = (bytes + kHuge - 1) / kHuge * kHuge;
    if (mallopt(M_TOP_PAD, static_cast<int>(bytes)) != 1) return;
    active_ = true;
    // The free top of the heap, and when it holds less than asked, the growth forced by
    // taking more than it holds: malloc then extends the heap by the block plus the pad.
    // The blocks stay below any mmap threshold (128 KiB at the least), which grows as
    // large blocks are freed; free blocks elsewhere may serve some of them first.
    const std::size_t top = mallinfo2().keepcost;
    const auto end_before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    constexpr auto failed = static_cast<std::uintptr_t>(-1);
    if (end_before == failed || end_before < top) return;
    if (top < bytes) {
        constexpr std::size_t kProbe = 64 * 1024;
        std::vector<void*> probes;
        probes.reserve(top / kProbe + 8192);  // and up to 512 MiB of free blocks
        while (probes.size() < probes.capacity() && reinterpret_cast<std::uintptr_t>(sbrk(0)) == end_before) {
            void* p = std::malloc(kProbe);
            if (!p) break;
            probes.push_back(p);
        }
        const auto end_after = reinterpret_cast<std::uintptr_t>(sbrk(0));
        if (end_after != failed) Advise(end_before - top, end_after);
        // Back into the top of the heap, which the pad keeps.
        for (void* p : probes) std::free(p);
    } else {
        Advise(end_before - top, end_before);
    }
#else
    (void)bytes;
#endif
}

Huge_Page_Heap::~Huge_Page_Heap() {
#if defined(SIFA_HUGE_PAGES)
    if (active_) mallopt(M_TOP_PAD, kDefault_Top_Pad);
#endif
}
