#pragma once
// Reading a workbook in a child process, so that a file on which a reader that is not ours
// crashes, hangs or takes all the memory is a failed open, not the end of the program.
#include "workbook/Sheet_Cells.h"
#include "workbook/Workbook_Reader.h"

#include <QString>
#include <cstdint>

// True where a child process can be used (POSIX).
bool Isolated_Reading_Available();

// Read_First_Sheet in a child process: the child reads the first sheet and sends its cells
// over a pipe; the answer is the same as Read_First_Sheet's, or a failure of the reader
// when the child dies, hangs (no byte for the time-out), runs out of the memory it may take
// or sends anything malformed. The child has ended when this returns.
// With `batches`, the cells are handed over as they come (see Read_Workbook).
Workbook_Result Read_First_Sheet_Isolated(const QString& path, Sheet_Cells& out, const Sheet_Batches& batches = {});

// Test hooks: the child misbehaves on purpose just before it sends cell `cell` (0: before
// it reads the file). The child takes the setting in force when it starts.
enum class Reader_Child_Fault { None, Die, Garbage, Hang };
void Set_Reader_Child_Fault(Reader_Child_Fault fault, int cell);
// Milliseconds without a byte from the child before it counts as hung; returns the previous.
int Set_Reader_Child_Timeout(int ms);
// Bytes of address space the child may take beyond what it starts with (the default is
// about twice what the largest real workbook needs, never more than half the machine's
// memory); returns the previous. For tests.
std::uint64_t Set_Reader_Child_Memory(std::uint64_t bytes);
// The default above, as it applies on this machine.
std::uint64_t Reader_Child_Memory();
