// The child reads the workbook with the same code as the program would, then streams the
// cells over a pipe; whatever happens to the child, the parent sees a failed read and
// carries on. The parent builds the cells as they come, while the child still sends: the
// stream is never held whole, and the two processes work at once.
//
// fork() copies only the calling thread: a lock another thread held at that moment stays
// held in the child for good. The child therefore never touches Qt's event machinery;
// glibc resets its malloc, stdio and loader locks in the child of a threaded fork. A child
// stuck anyway meets the time-out.
//
// The child may grow its address space by a fixed amount (RLIMIT_AS over what it inherits):
// a small file that unpacks or expands into gigabytes then fails at once for want of memory
// instead of taking the machine's. It ends with kExit_No_Memory when an allocation fails
// where it cannot say so on the stream.
//
// The child holds only the cells of the batch it is sending: those sent are let go, so that a
// sheet of any size takes it the same room.
//
// The stream, in native byte order (both ends are this program): "SXC4", then messages:
//   'K' thousandths:i16                  a batch ends (every 65,536 cells): the texts sent so
//                                        far are not referred to again, numbers start anew;
//                                        how far through the sheet the reader is (-1: unknown)
//   'F' failure:u8 errno:i32             the file was not read, and why; the stream ends
//   'C' row:u32 col:u32 kind:u8 payload  one cell; kinds: 'n' 'd' f64, 'b' u8, 'e' i32,
//                                        't' len:u32 UTF-16 or 'u' len:u32 UTF-8 bytes
//                                        (a new text, numbered in order; each text as the
//                                        reader holds it), 's' id:u32 (a text sent before)
//   'E'                                  all cells sent
#include "workbook/Isolated_Sheet_Reader.h"

#if !defined(_WIN32)

#include "workbook/Format_Readers.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace {

constexpr char kMagic[4] = {'S', 'X', 'C', '4'};
constexpr size_t kChunk = size_t(1) << 20;
constexpr int kExit_No_Memory = 3;
// The reader child's room: about twice the most it adds to its address space for the largest
// real workbook (the 65,535-record table saved as .ods by LibreOffice, 13 MB: 313 MB, most
// of it the 182 MB of its unpacked content.xml).
constexpr std::uint64_t kReader_Memory = std::uint64_t(640) << 20;

std::atomic<int> g_fault{static_cast<int>(Reader_Child_Fault::None)};
std::atomic<int> g_fault_cell{0};
std::atomic<int> g_timeout_ms{30000};
std::atomic<std::uint64_t> g_memory{kReader_Memory};

// ---------------------------------------------------------------- child

// The child's side of the pipe; any failure to write ends the child.
class Child_Writer {
public:
    explicit Child_Writer(int fd) : fd_(fd), buf_(static_cast<char*>(std::malloc(kChunk))) {
        if (!buf_) _exit(kExit_No_Memory);
    }
    void Put(const void* p, size_t n) {
        if (used_ + n > kChunk) {
            Flush();
            if (n > kChunk) return Write(static_cast<const char*>(p), n);
        }
        std::memcpy(buf_ + used_, p, n);
        used_ += n;
    }
    void Byte(unsigned char b) { Put(&b, 1); }
    template <class T> void Raw(T v) { Put(&v, sizeof v); }
    void Flush() {
        Write(buf_, used_);
        used_ = 0;
    }

private:
    void Write(const char* p, size_t n) {
        while (n > 0) {
            const ssize_t w = write(fd_, p, n);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) _exit(2);  // the parent has gone
            p += w;
            n -= static_cast<size_t>(w);
        }
    }
    int fd_;
    char* buf_;
    size_t used_ = 0;
};

void Child_Fault(Child_Writer& w, Reader_Child_Fault fault, int faultCell, int cell) {
    if (fault == Reader_Child_Fault::None || faultCell != cell) return;
    if (fault == Reader_Child_Fault::Garbage) {
        static const char junk[] = "C\xEE\xEE\xEE\xEE\xEE\xEE\xEE\xEE\xEE";
        w.Put(junk, sizeof junk - 1);
    }
    w.Flush();
    if (fault == Reader_Child_Fault::Die) raise(SIGKILL);
    if (fault == Reader_Child_Fault::Hang)
        for (;;) pause();
    _exit(0);
}

// The address space the process holds now, from /proc (no allocation: this runs in the
// child of a fork); 0 when it cannot be told.
std::uint64_t Address_Space_Now() {
#if defined(__linux__)
    const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char text[64];
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    std::uint64_t pages = 0;
    for (ssize_t i = 0; i < n && text[i] >= '0' && text[i] <= '9'; ++i) pages = pages * 10 + unsigned(text[i] - '0');
    const long page = sysconf(_SC_PAGESIZE);
    return page > 0 ? pages * std::uint64_t(page) : 0;
#else
    return 0;
#endif
}

// The child's address space may grow by `room` over what it inherited.
void Limit_Memory(std::uint64_t room) {
    const std::uint64_t now = Address_Space_Now();
    if (now == 0) return;
    const rlimit limit{rlim_t(now + room), rlim_t(now + room)};
    setrlimit(RLIMIT_AS, &limit);
}

// A damaged workbook should end the child quietly: no handler of the parent (a crash
// report, a sanitizer) runs, no core file is left, and it never outlives the parent.
void Child_Set_Up(int fd, pid_t parent, std::uint64_t memory) {
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS, SIGPIPE}) std::signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
#if defined(__linux__)
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(4);
#else
    (void)parent;
#endif
        // Copies of the parent's descriptors (another reader's pipe among them) would keep
        // them open for as long as this child lives.
#if defined(__linux__) && defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    if (fd > 3) close_range(3, static_cast<unsigned>(fd) - 1, 0);
    close_range(static_cast<unsigned>(fd) + 1, ~0u, 0);
#else
    (void)fd;
#endif
    Limit_Memory(memory);
}

// Sends the cells read so far, each once, in the order they came.
class Cell_Sender {
public:
    Cell_Sender(Child_Writer& w, const Sheet_Cells& cells, Reader_Child_Fault fault, int faultCell)
        : w_(w), cells_(cells), fault_(fault), fault_cell_(faultCell) {}

    void Send_New() {
        // Cells that share a text (a shared-string entry, a text repeated down a column) share
        // it on the way too, within a batch: the number each text was sent under, made room for
        // before the first message so that a failure to allocate never cuts one short.
        sent_as_.resize(cells_.Shared_Text_Count(), Sent{});
        for (; sent_ < cells_.Size(); ++sent_) Send(sent_);
    }
    // The cells sent have been let go: the next batch starts.
    void Next_Batch() {
        ++batch_;
        sent_texts_ = 0;
        sent_ = 0;
        cells_before_ += cells_.Size();
    }

private:
    void Send(std::size_t i) {
        Child_Fault(w_, fault_, fault_cell_, static_cast<int>(cells_before_ + i + 1));
        w_.Byte('C');
        w_.Raw(cells_.Row_At(i));
        w_.Raw(cells_.Col_At(i));
        if (cells_.Kind_At(i) == Cell_Kind::Text) {
            Sent& sent = sent_as_[cells_.Text_Number_At(i)];
            if (sent.batch == batch_) {
                w_.Byte('s');
                w_.Raw(sent.id);
                return;
            }
            sent = {batch_, sent_texts_++};
            const Sheet_Cells::Held_Text t = cells_.Text_Held(cells_.Text_Number_At(i));
            w_.Byte(t.utf16 ? 't' : 'u');
            w_.Raw(static_cast<uint32_t>(t.utf16 ? t.bytes / sizeof(QChar) : t.bytes));
            w_.Put(t.data, t.bytes);
            return;
        }
        const Cell_Value v = cells_.Value_At(i);
        switch (v.Kind) {
        case Cell_Kind::Date:
            w_.Byte('d');
            w_.Raw(v.Number);
            break;
        case Cell_Kind::Boolean:
            w_.Byte('b');
            w_.Raw(static_cast<uint8_t>(v.Code != 0));
            break;
        case Cell_Kind::Error:
            w_.Byte('e');
            w_.Raw(static_cast<int32_t>(v.Code));
            break;
        case Cell_Kind::Text:
        case Cell_Kind::Number:
        case Cell_Kind::Empty:
            w_.Byte('n');
            w_.Raw(v.Number);
            break;
        }
    }

    struct Sent {
        std::size_t batch = 0;  // 0: never sent
        uint32_t id = 0;
    };
    Child_Writer& w_;
    const Sheet_Cells& cells_;
    const Reader_Child_Fault fault_;
    const int fault_cell_;
    std::vector<Sent> sent_as_;  // by the cells' text number
    std::size_t batch_ = 1;
    uint32_t sent_texts_ = 0;
    std::size_t sent_ = 0, cells_before_ = 0;
};

void Child_Stream(Child_Writer& w, const QString& path, Reader_Child_Fault fault, int faultCell) {
    w.Put(kMagic, sizeof kMagic);
    Child_Fault(w, fault, faultCell, 0);
    // The cells go while the rest of the sheet is read, so that the parent builds its own at
    // the same time; a file refused later is refused after them ('F').
    Sheet_Cells cells;
    Cell_Sender sender(w, cells, fault, faultCell);
    cells.Keep_Arrival_Order();
    cells.Set_Progress([&w, &sender, &cells] {
        sender.Send_New();
        w.Byte('K');
        w.Raw(static_cast<int16_t>(cells.Thousandths_Read()));
        w.Flush();
        cells.Drop_Cells();
        sender.Next_Batch();
    });
    const Workbook_Result read = Read_First_Sheet(path, cells);
    if (!read.Ok()) {
        w.Byte('F');
        w.Raw(static_cast<uint8_t>(read.Failure));
        w.Raw(static_cast<int32_t>(read.System_Error));
        return;
    }
    sender.Send_New();
    w.Byte('E');
    // Before the cells are freed (tens of milliseconds for a full sheet), which the parent
    // need not wait for.
    w.Flush();
}

[[noreturn]] void Child_Main(int fd, const QString& path, pid_t parent, Reader_Child_Fault fault, int faultCell,
                             std::uint64_t memory) {
    Child_Set_Up(fd, parent, memory);
    try {
        Child_Writer w(fd);
        Child_Stream(w, path, fault, faultCell);
        w.Flush();
    } catch (...) {  // out of memory: the parent sees the stream end early, and why
        _exit(kExit_No_Memory);
    }
    // No exit handlers, no stdio flush: they belong to the parent.
    _exit(0);
}

// ---------------------------------------------------------------- parent

// The parent's side of the pipe, read as the child writes: the cells are built while the
// child still sends, from one buffer used again and again.
class Stream_Reader {
public:
    // The program holds at most `held` bytes of the stream at once (all of it, or a batch),
    // and takes at most `total`: the child runs within its room, and the cells it passes on
    // must not make the program take more than a real table needs either.
    Stream_Reader(int fd, int timeoutMs, std::uint64_t held, std::uint64_t total)
        : fd_(fd), timeout_ms_(timeoutMs), most_held_(held), most_total_(total) {}

    bool Ready() const { return buffer_ != nullptr; }
    // The next n bytes of the stream, waited for; false when the child closes the pipe or dies
    // first, or sends nothing for the time-out (Hung()).
    bool Take(void* to, size_t n) {
        char* out = static_cast<char*>(to);
        while (n > 0) {
            if (at_ == end_ && !Fill()) return false;
            const size_t take = std::min(end_ - at_, n);
            std::memcpy(out, buffer_.get() + at_, take);
            out += take;
            n -= take;
            at_ += take;
        }
        return true;
    }
    template <class T> bool Raw(T& v) { return Take(&v, sizeof v); }
    bool Hung() const { return hung_; }
    bool Too_Much() const { return too_much_; }
    // What came so far has been passed on and let go.
    void Batch_Done() { held_from_ = taken_; }

private:
    bool Fill() {
        at_ = end_ = 0;
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            const int ready = poll(&p, 1, timeout_ms_);
            if (ready < 0 && errno == EINTR) continue;
            if (ready == 0) {
                hung_ = true;
                return false;
            }
            if (ready < 0) return false;
            const ssize_t got = read(fd_, buffer_.get(), kChunk);
            if (got > 0) {
                end_ = static_cast<size_t>(got);
                taken_ += std::uint64_t(got);
                if (taken_ - held_from_ > most_held_ || taken_ > most_total_) {
                    too_much_ = true;
                    return false;
                }
                return true;
            }
            if (got == 0 || (errno != EINTR && errno != EAGAIN)) return false;
        }
    }

    struct Free_Block {
        void operator()(char* p) const { std::free(p); }
    };
    int fd_;
    int timeout_ms_;
    std::unique_ptr<char, Free_Block> buffer_{static_cast<char*>(std::malloc(kChunk))};
    size_t at_ = 0, end_ = 0;
    const std::uint64_t most_held_, most_total_;
    std::uint64_t taken_ = 0, held_from_ = 0;
    bool hung_ = false, too_much_ = false;
};

// The cells of a complete stream; false on anything malformed or cut short, with `failed` set
// when the child said why, or when `batches` said to stop.
bool Parse_Stream(Stream_Reader& in, Sheet_Cells& out, Workbook_Result& failed, const Sheet_Batches& batches) {
    char magic[sizeof kMagic];
    if (!in.Take(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0) return false;
    std::vector<std::size_t> texts;  // the cells' own numbers of the texts sent
    std::string utf8;
    for (;;) {
        unsigned char tag = 0;
        if (!in.Raw(tag)) return false;
        if (tag == 'K') {
            int16_t thousandths = 0;
            if (!in.Raw(thousandths) || thousandths < -1 || thousandths > 1000) return false;
            texts.clear();
            if (!batches) continue;
            out.Set_Thousandths_Read(thousandths);
            if (!batches(out)) return false;
            out.Clear_Keeping_Room();
            in.Batch_Done();
            continue;
        }
        if (tag == 'E') return true;
        if (tag == 'F') {
            uint8_t failure = 0;
            int32_t error = 0;
            if (!in.Raw(failure) || !in.Raw(error) || failure == 0 || failure > uint8_t(Workbook_Failure::Reader_Hung))
                return false;
            failed = {static_cast<Workbook_Failure>(failure), error};
            return false;
        }
        if (tag != 'C') return false;
        uint32_t row = 0, col = 0;
        unsigned char kind = 0;
        if (!in.Raw(row) || !in.Raw(col) || !in.Raw(kind)) return false;
        Cell_Value v;
        switch (kind) {
        case 'n':
        case 'd': {
            double d = 0;
            if (!in.Raw(d)) return false;
            v = kind == 'd' ? Cell_Value::Of_Date(d) : Cell_Value::Of_Number(d);
            break;
        }
        case 'b': {
            uint8_t b = 0;
            if (!in.Raw(b)) return false;
            v = Cell_Value::Of_Boolean(b != 0);
            break;
        }
        case 'e': {
            int32_t e = 0;
            if (!in.Raw(e)) return false;
            v = Cell_Value::Of_Error(e);
            break;
        }
        case 't': {
            uint32_t n = 0;
            if (!in.Raw(n) || n > uint32_t(Sheet_Max_Text)) return false;
            QString s(static_cast<qsizetype>(n), Qt::Uninitialized);
            if (!in.Take(s.data(), size_t(n) * 2)) return false;
            texts.push_back(out.Add_Shared_Text(std::move(s)));
            if (!out.Add_Shared_Text_Cell(row, col, texts.back())) return false;
            continue;
        }
        case 'u': {
            // UTF-8 takes up to three bytes for one UTF-16 unit.
            uint32_t n = 0;
            if (!in.Raw(n) || n > 3 * uint32_t(Sheet_Max_Text)) return false;
            utf8.resize(n);
            if (!in.Take(utf8.data(), n)) return false;
            if (n > uint32_t(Sheet_Max_Text) && QString::fromUtf8(utf8.data(), qsizetype(n)).size() > Sheet_Max_Text)
                return false;
            texts.push_back(out.Add_Shared_Utf8(utf8));
            if (!out.Add_Shared_Text_Cell(row, col, texts.back())) return false;
            continue;
        }
        case 's': {
            uint32_t id = 0;
            if (!in.Raw(id) || id >= texts.size()) return false;
            if (!out.Add_Shared_Text_Cell(row, col, texts[id])) return false;
            continue;
        }
        default: return false;
        }
        if (!out.Add(row, col, std::move(v))) return false;
    }
}

// What the program may take from a child with `room`, in all: the 1,048,575 records of the
// largest real table in inline strings came as 2.1 GB when their texts went as UTF-16 (they now
// go as UTF-8, when the reader holds them so); never more than half the machine's memory.
std::uint64_t Reader_Stream_Bytes(std::uint64_t room) {
    const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGESIZE);
    const std::uint64_t half = pages > 0 && page > 0 ? std::uint64_t(pages) * std::uint64_t(page) / 2 : UINT64_MAX;
    return std::min(room * 8, half);
}

// Ends the child and answers whether it ended for want of memory.
bool Stop_Child(pid_t pid) {
    // Killed only while it is ours: a child reaped elsewhere (SIGCHLD ignored) may have
    // handed its number to another process.
    int status = 0;
    pid_t w;
    while ((w = waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {}
    if (w == 0) {
        kill(pid, SIGKILL);
        while ((w = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {}
    }
    return w == pid && WIFEXITED(status) && WEXITSTATUS(status) == kExit_No_Memory;
}

}  // namespace

bool Isolated_Reading_Available() { return true; }

Workbook_Result Read_First_Sheet_Isolated(const QString& path, Sheet_Cells& out, const Sheet_Batches& batches) {
    out.Clear();
    const QFileInfo info(path);
    if (!info.isFile()) return Read_First_Sheet(path, out);  // says why, reads nothing
    const auto fault = static_cast<Reader_Child_Fault>(g_fault.load());
    const int faultCell = g_fault_cell.load();
    const int timeout = g_timeout_ms.load();
    const std::uint64_t memory = Reader_Child_Memory();

    int fds[2];
#if defined(__linux__)
    if (pipe2(fds, O_CLOEXEC) != 0) {
#else
    if (pipe(fds) != 0) {
#endif
        return {Workbook_Failure::Reader_Not_Started};
    }
#if !defined(__linux__)
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
#endif
#if defined(F_SETPIPE_SZ)
    fcntl(fds[1], F_SETPIPE_SZ, static_cast<int>(kChunk));  // fewer wake-ups than 64 KiB; may be refused
#endif
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return {Workbook_Failure::Reader_Not_Started};
    }
    if (pid == 0) {
        close(fds[0]);
        Child_Main(fds[1], path, parent, fault, faultCell, memory);
    }
    // The parent never writes to the pipe, so it can never get SIGPIPE from it.
    close(fds[1]);
    Stream_Reader in(fds[0], timeout, memory, Reader_Stream_Bytes(memory));
    Workbook_Result failed{Workbook_Failure::None};
    const bool read = in.Ready() && Parse_Stream(in, out, failed, batches);
    close(fds[0]);
    const bool no_memory = Stop_Child(pid);
    if (read) {
        out.Finish();
        return {};
    }
    out.Clear();
    if (!in.Ready() || in.Too_Much()) return {Workbook_Failure::No_Memory};
    if (in.Hung()) return {Workbook_Failure::Reader_Hung};
    if (failed.Failure == Workbook_Failure::None)
        failed = {no_memory ? Workbook_Failure::No_Memory : Workbook_Failure::Reader_Stopped};
    return failed;
}

void Set_Reader_Child_Fault(Reader_Child_Fault fault, int cell) {
    g_fault_cell.store(cell);
    g_fault.store(static_cast<int>(fault));
}

int Set_Reader_Child_Timeout(int ms) { return g_timeout_ms.exchange(ms < 1 ? 1 : ms); }

std::uint64_t Set_Reader_Child_Memory(std::uint64_t bytes) { return g_memory.exchange(bytes); }

std::uint64_t Reader_Child_Memory() {
    const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGESIZE);
    const std::uint64_t half = pages > 0 && page > 0 ? std::uint64_t(pages) * std::uint64_t(page) / 2 : UINT64_MAX;
    return std::min(g_memory.load(), half);
}

#else  // no fork()

bool Isolated_Reading_Available() { return false; }
Workbook_Result Read_First_Sheet_Isolated(const QString&, Sheet_Cells& out, const Sheet_Batches&) {
    out.Clear();
    return {Workbook_Failure::Reader_Not_Started};
}
void Set_Reader_Child_Fault(Reader_Child_Fault, int) {}
int Set_Reader_Child_Timeout(int ms) { return ms; }
std::uint64_t Set_Reader_Child_Memory(std::uint64_t bytes) { return bytes; }
std::uint64_t Reader_Child_Memory() { return 0; }

#endif
