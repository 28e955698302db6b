// Huge pages are asked for where the kernel can show it: the flags of the memory areas.
#include "model/Huge_Pages.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <vector>

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

bool Kernel_Offers_Huge_Pages() {
    QFile f(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
    return f.open(QIODevice::ReadOnly) && !f.readAll().contains("[never]");
}

// Whether the memory area holding `p` is marked for huge pages ("hg" in its flags).
bool Marked_Huge(const void* p) {
    QFile f(QStringLiteral("/proc/self/smaps"));
    if (!f.open(QIODevice::ReadOnly)) return false;
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    bool inside = false;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const qsizetype dash = line.indexOf('-'), space = line.indexOf(' ');
        bool ok1 = false, ok2 = false;
        if (dash > 0 && space > dash) {
            const auto from = line.left(dash).toULongLong(&ok1, 16);
            const auto to = line.mid(dash + 1, space - dash - 1).toULongLong(&ok2, 16);
            if (ok1 && ok2) {
                inside = at >= from && at < to;
                continue;
            }
        }
        if (inside && line.startsWith("VmFlags:")) return line.split(' ').contains("hg");
    }
    return false;
}

class Huge_Pages : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Kernel_Offers_Huge_Pages()) GTEST_SKIP() << "no transparent huge pages here";
    }
};

// Small blocks are left alone: a load that small is quick anyway.
TEST_F(Huge_Pages, Large_Blocks_Are_Marked_Small_Ones_Not) {
    struct Case {
        std::size_t bytes;
        bool marked;
    };
    for (const Case c : {Case{std::size_t(1) << 20, false}, Case{std::size_t(16) << 20, true}}) {
        void* block = mmap(nullptr, c.bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(block, MAP_FAILED);
        Advise_Huge_Pages(block, c.bytes);
        EXPECT_EQ(Marked_Huge(static_cast<char*>(block) + c.bytes / 2), c.marked) << c.bytes;
        munmap(block, c.bytes);
    }
}

// The small blocks a load makes land in the part of the heap marked for huge pages, once
// what earlier tests freed is used up (40 MB of blocks, within the 64 MB asked for).
TEST_F(Huge_Pages, The_Heap_Reserve_Takes_The_Next_Small_Blocks) {
    if (!kSystem_Heap) GTEST_SKIP() << "not the system's heap";
    const Huge_Page_Heap tiny(4096);
    EXPECT_FALSE(tiny.Active());
    const Huge_Page_Heap heap(std::size_t(64) << 20);
    ASSERT_TRUE(heap.Active());
    std::vector<void*> blocks;
    for (int i = 0; i < 200000; ++i) blocks.push_back(std::malloc(200));
    EXPECT_TRUE(Marked_Huge(blocks.back()));
    for (void* b : blocks) std::free(b);
}

}  // namespace
