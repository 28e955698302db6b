#pragma once
// Loading a full workbook fills a few hundred MiB of new memory with over a million
// small blocks. Where every 4 KiB page costs a fault (measured here: two thirds of a
// load on a virtual machine), 2 MiB pages make that a few hundred faults. Linux only;
// elsewhere, or when the system refuses, nothing changes.
#include <cstddef>

// Asks for huge pages on one large block (one that malloc maps on its own), before
// it is first written.
void Advise_Huge_Pages(void* block, std::size_t bytes);

// While it lives, the main heap has about `bytes` ready at its top in huge pages, and
// grows in steps of that size. Meant for the thread that does the load.
class Huge_Page_Heap {
public:
    explicit Huge_Page_Heap(std::size_t bytes);
    ~Huge_Page_Heap();
    Huge_Page_Heap(const Huge_Page_Heap&) = delete;
    Huge_Page_Heap& operator=(const Huge_Page_Heap&) = delete;

private:
    bool active_ = false;
};
