// What shows without reading the kernel's tables: which requests change the heap at all.
#include "model/Huge_Pages.h"

#include <gtest/gtest.h>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSystem_Heap = false;  // the sanitizer's heap takes no heap settings
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kSystem_Heap = false;
#else
constexpr bool kSystem_Heap = true;
#endif
#else
constexpr bool kSystem_Heap = true;
#endif

// A load that small is quick anyway: the heap keeps its settings.
TEST(Huge_Pages, Only_A_Large_Reserve_Changes_The_Heap) {
    EXPECT_FALSE(Huge_Page_Heap(4096).Active());
#if defined(__linux__) && defined(__GLIBC__)
    if (!kSystem_Heap) GTEST_SKIP() << "not the system's heap";
    EXPECT_TRUE(Huge_Page_Heap(std::size_t(64) << 20).Active());
#endif
}

}  // namespace
