// Workbook reader that runs FreeXL in a child process. FreeXL 1.0.6 crashes on some
// damaged .xls files and we cannot mend it, so the child opens the workbook and streams
// the cells over a pipe; whatever happens to the child, the parent sees a failed open
// or a failed read and carries on. Open keeps the whole stream and lets the child end
// before the first row is handed out, so that FreeXL's memory and the records' are
// never held at the same time.
//
// fork() copies only the calling thread: a lock another thread held at that moment stays
// held in the child for good. The child therefore runs only FreeXL (malloc, stdio, iconv)
// and write(2), never Qt. glibc resets its malloc, stdio and dynamic-loader locks in the
// child of a threaded fork (iconv_open may load a gconv module); its gconv table lock it
// does not, but no thread of ours uses iconv. A child stuck anyway meets the time-out.
//
// The stream, in native byte order (both ends are this program):
//   "SXL1" 'O' rows:u32 columns:u32 lastRowA:u32      or  "SXL1" 'N' (not a workbook)
//   then rows 1..lastRowA, each 'R' row:u32 and one cell per column, then 'E'.
// A cell is a tag byte: FreeXL's kind code with its payload (INT i32, DOUBLE f64, TEXT,
// SST_TEXT and the date kinds u32 length + UTF-8), or Shared_New (a short shared text,
// u32 length + UTF-8, numbered in order of appearance), Shared_Again (u32 its number), or
// Unreadable (FreeXL could not read the cell; the stream ends there).
#include "model/Spreadsheet_Server.h"

#if !defined(_WIN32)

#include "model/Huge_Pages.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <freexl.h>
#include <memory>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#if defined(__linux__)
#include <sys/prctl.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr char kMagic[4] = {'S', 'X', 'L', '1'};
enum : unsigned char {
    Tag_Opened = 'O', Tag_Not_Opened = 'N', Tag_Row = 'R', Tag_End = 'E',
    Tag_Shared_New = 1, Tag_Shared_Again = 2, Tag_Unreadable = 3
};
// Large writes and reads: a 65,535-row sheet is some tens of MiB of stream.
constexpr size_t kChunk = size_t(1) << 20;
// Longer than any cell text FreeXL can produce (32,767 characters of up to 3 UTF-8 bytes).
constexpr uint32_t kMax_Text = 1u << 20;

std::atomic<int> g_fault{static_cast<int>(Reader_Child_Fault::None)};
std::atomic<int> g_fault_row{0};
std::atomic<int> g_timeout_ms{30000};

// ---------------------------------------------------------------- child

// The child's side of the pipe; any failure to write ends the child.
class Child_Writer {
public:
    explicit Child_Writer(int fd) : fd_(fd), buf_(static_cast<char*>(std::malloc(kChunk))) {
        if (!buf_) _exit(3);
    }
    void Put(const void* p, size_t n) {
        if (n == 0) return;
        if (used_ + n > kChunk) {
            Flush();
            if (n > kChunk) return Write(static_cast<const char*>(p), n);
        }
        std::memcpy(buf_ + used_, p, n);
        used_ += n;
    }
    void Byte(unsigned char b) {
        if (used_ == kChunk) Flush();
        buf_[used_++] = static_cast<char>(b);
    }
    template <class T> void Raw(T v) { Put(&v, sizeof v); }
    void Text(unsigned char tag, const char* t) {
        const size_t n = t ? std::strlen(t) : 0;
        Byte(tag);
        Raw(static_cast<uint32_t>(n));
        Put(t, n);
    }
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

// The misbehaviour a test asked for, just before row `row` (0: before the header).
void Child_Fault(Child_Writer& w, Reader_Child_Fault fault, int faultRow, int row) {
    if (fault == Reader_Child_Fault::None || faultRow != row) return;
    if (fault == Reader_Child_Fault::Garbage) {
        static const char junk[] = "\xEE\xEE\xEE\xEE\xEE\xEE\xEE\xEE";
        w.Put(junk, sizeof junk - 1);
    }
    w.Flush();
    if (fault == Reader_Child_Fault::Die) raise(SIGKILL);
    if (fault == Reader_Child_Fault::Hang)
        for (;;) pause();
    _exit(0);
}

// A damaged workbook should end the child quietly: no handler of the parent (a crash
// report, a sanitizer) runs, no core file is left, and it never outlives the parent.
void Child_Set_Up(int fd, pid_t parent) {
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS, SIGPIPE})
        std::signal(sig, SIG_DFL);
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
}

std::size_t File_Size(const char* path) {
    struct stat st{};
    return stat(path, &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
}

void Child_Stream(Child_Writer& w, const char* path, Reader_Child_Fault fault, int faultRow) {
    Child_Fault(w, fault, faultRow, 0);
    FreeXL_Sheet sheet;
    w.Put(kMagic, sizeof kMagic);
    if (!sheet.Open(path)) {
        w.Byte(Tag_Not_Opened);
        return;
    }
    const unsigned last = sheet.Last_Row_Column_A();
    const unsigned cols = sheet.Columns();
    w.Byte(Tag_Opened);
    w.Raw(static_cast<uint32_t>(sheet.Rows()));
    w.Raw(static_cast<uint32_t>(cols));
    w.Raw(static_cast<uint32_t>(last));

    // Short shared texts travel once; after that by their number.
    std::unordered_map<const char*, uint32_t> shared;
    for (unsigned r = 1; r <= last; ++r) {
        Child_Fault(w, fault, faultRow, static_cast<int>(r));
        w.Byte(Tag_Row);
        w.Raw(static_cast<uint32_t>(r));
        for (unsigned c = 0; c < cols; ++c) {
            FreeXL_Cell cell;
            if (!sheet.Cell(r - 1, c, cell)) {
                w.Byte(Tag_Unreadable);
                return;
            }
            switch (cell.Kind) {
            case FREEXL_CELL_INT:
                w.Byte(FREEXL_CELL_INT);
                w.Raw(static_cast<int32_t>(cell.Number));
                break;
            case FREEXL_CELL_DOUBLE:
                w.Byte(FREEXL_CELL_DOUBLE);
                w.Raw(cell.Number);
                break;
            case FREEXL_CELL_SST_TEXT:
                if (cell.Text && std::strlen(cell.Text) <= FreeXL_Cell_Converter::Shared_Max) {
                    const auto [it, added] = shared.emplace(cell.Text, static_cast<uint32_t>(shared.size()));
                    if (added) {
                        w.Text(Tag_Shared_New, cell.Text);
                    } else {
                        w.Byte(Tag_Shared_Again);
                        w.Raw(it->second);
                    }
                    break;
                }
                [[fallthrough]];
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                w.Text(static_cast<unsigned char>(cell.Kind), cell.Text);
                break;
            default:
                w.Byte(FREEXL_CELL_NULL);
                break;
            }
        }
    }
    w.Byte(Tag_End);
}

[[noreturn]] void Child_Main(int fd, const char* path, pid_t parent, Reader_Child_Fault fault, int faultRow) {
    Child_Set_Up(fd, parent);
    try {
#if defined(__GLIBC__)
        mallopt(M_MMAP_THRESHOLD, 32 << 20);  // FreeXL's larger tables on that heap too
#endif
        // FreeXL holds some five to six times the file, in small blocks (see Huge_Pages.h).
        const Huge_Page_Heap heap(File_Size(path) * 6);
        Child_Writer w(fd);
        Child_Stream(w, path, fault, faultRow);
        w.Flush();
    } catch (...) {  // out of memory: the parent sees the stream end early
        _exit(3);
    }
    // No exit handlers, no stdio flush: they belong to the parent.
    _exit(0);
}

// ---------------------------------------------------------------- parent

class Isolated_Server final : public Spreadsheet_Server {
public:
    ~Isolated_Server() override { Close(); }

    bool Open(const QString& path) override {
        Close();
        // FreeXL would block on a pipe and give odd errors on a folder.
        if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
        const QByteArray native = QFile::encodeName(path);
        const auto fault = static_cast<Reader_Child_Fault>(g_fault.load());
        const int faultRow = g_fault_row.load();
        timeout_ms_ = g_timeout_ms.load();

        int fds[2];
#if defined(__linux__)
        if (pipe2(fds, O_CLOEXEC) != 0) return false;
#else
        if (pipe(fds) != 0) return false;
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
            return false;
        }
        if (pid == 0) {
            close(fds[0]);
            Child_Main(fds[1], native.constData(), parent, fault, faultRow);
        }
        // The parent never writes to the pipe, so it can never get SIGPIPE from it.
        close(fds[1]);
        pid_ = pid;
        fd_ = fds[0];
        // All of the stream first, and the child gone, before any record is built: the
        // program's memory then grows only once FreeXL's has been given back.
        Drain();
        Stop_Child();
        buf_.resize(kChunk);

        char magic[sizeof kMagic];
        unsigned char status = 0;
        if (!Take(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0 || !Take(&status, 1) ||
            status != Tag_Opened) {
            Close();
            return false;
        }
        uint32_t rows = 0, cols = 0, last = 0;
        if (!Take(&rows, 4) || !Take(&cols, 4) || !Take(&last, 4) || cols > USHRT_MAX + 1u || last > rows) {
            Close();
            return false;
        }
        rows_ = rows;
        cols_ = cols;
        last_a_ = last;
        next_row_ = 1;
        open_ = true;
        return true;
    }

    int Last_Row_Column_A() override {
        if (!open_ || cols_ == 0) return 0;
        return last_a_ > static_cast<unsigned>(INT_MAX) ? INT_MAX : static_cast<int>(last_a_);
    }

    bool Read_Row(int row, int firstCol, int lastCol, QList<Value>& out) override {
        out.clear();
        if (!open_ || row < 1 || firstCol < 1 || lastCol < firstCol || lastCol > USHRT_MAX + 1) return false;
        const unsigned r = static_cast<unsigned>(row);
        if (r > rows_) {  // below the sheet: blank
            out.resize(lastCol - firstCol + 1);
            return true;
        }
        if (broken_ || r < next_row_ || r > last_a_) return false;
        while (next_row_ < r)
            if (!Next_Row(nullptr, 0, 0)) return Fail(out);
        out.reserve(lastCol - firstCol + 1);
        if (!Next_Row(&out, static_cast<unsigned>(firstCol), static_cast<unsigned>(lastCol))) return Fail(out);
        while (out.size() < lastCol - firstCol + 1) out.append(Value());  // beyond the sheet's columns
        return true;
    }

    void Set_Screen_Updating(bool) override {}

    void Close() override {
        Stop_Child();
        converter_.Clear();
        stored_.clear();
        std::vector<char>().swap(buf_);
        pos_ = end_ = 0;
        rows_ = cols_ = last_a_ = 0;
        next_row_ = 1;
        shared_count_ = 0;
        open_ = broken_ = false;
    }

    void Quit() override { Close(); }

private:
    // The next streamed row; its columns first..last (1-based) go to `out` when given.
    bool Next_Row(QList<Value>* out, unsigned first, unsigned last) {
        unsigned char tag = 0;
        uint32_t number = 0;
        if (!Take(&tag, 1) || tag != Tag_Row || !Take(&number, 4) || number != next_row_) return false;
        for (unsigned c = 1; c <= cols_; ++c) {
            const bool wanted = out && c >= first && c <= last;
            Value v;
            if (!Next_Cell(wanted, v)) return false;
            if (wanted) out->append(std::move(v));
        }
        ++next_row_;
        return true;
    }

    bool Next_Cell(bool wanted, Value& v) {
        unsigned char tag = 0;
        if (!Take(&tag, 1)) return false;
        switch (tag) {
        case FREEXL_CELL_NULL:
            return true;
        case FREEXL_CELL_INT: {
            int32_t i = 0;
            if (!Take(&i, 4)) return false;
            if (wanted) v = FreeXL_Cell_Converter::Number(i);
            return true;
        }
        case FREEXL_CELL_DOUBLE: {
            double d = 0;
            if (!Take(&d, 8)) return false;
            if (wanted) v = FreeXL_Cell_Converter::Number(d);
            return true;
        }
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
        case Tag_Shared_New: {
            uint32_t n = 0;
            if (!Take(&n, 4) || n > kMax_Text || (tag == Tag_Shared_New && n > FreeXL_Cell_Converter::Shared_Max) ||
                !Need(n))
                return false;
            const char* text = buf_.data() + pos_;
            pos_ += n;
            if (tag == Tag_Shared_New) v = converter_.Shared_Text(shared_count_++, text, n);
            else if (wanted) v = FreeXL_Cell_Converter::Text(tag, text, n);
            return true;
        }
        case Tag_Shared_Again: {
            uint32_t id = 0;
            if (!Take(&id, 4) || id >= shared_count_) return false;
            if (wanted) v = converter_.Shared_Text(id, nullptr, 0);
            return true;
        }
        default:  // Tag_Unreadable, or garbage
            return false;
        }
    }

    bool Take(void* to, size_t n) {
        if (!Need(n)) return false;
        std::memcpy(to, buf_.data() + pos_, n);
        pos_ += n;
        return true;
    }

    bool Need(size_t n) { return end_ - pos_ >= n || Fill(n); }

    // Keeps what the child sends until it closes the pipe, dies, or sends nothing for
    // the time-out. In pieces small enough to come from the heap, where the records
    // built from them take their place as they are freed.
    void Drain() {
        constexpr size_t kStore = 64 * 1024;
        for (;;) {
            if (stored_.empty() || stored_.back().used == kStore) {
                Stored s;
                s.bytes.reset(static_cast<char*>(std::malloc(kStore)));
                if (!s.bytes) return;  // out of memory: the stream ends here
                stored_.push_back(std::move(s));
            }
            Stored& last = stored_.back();
            pollfd p{fd_, POLLIN, 0};
            const int ready = poll(&p, 1, timeout_ms_);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return;
            const ssize_t got = read(fd_, last.bytes.get() + last.used, kStore - last.used);
            if (got > 0) last.used += static_cast<size_t>(got);
            else if (got == 0 || (errno != EINTR && errno != EAGAIN)) return;
        }
    }

    // Moves stored bytes to the work buffer until `n` are at hand; false when the
    // stream has ended. Each stored piece is freed once passed.
    bool Fill(size_t n) {
        if (pos_ > 0) {
            std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
            end_ -= pos_;
            pos_ = 0;
        }
        if (n > buf_.size()) buf_.resize(n);
        while (end_ < n) {
            if (stored_.empty()) return false;
            Stored& first = stored_.front();
            const size_t take = std::min(first.used - first.taken, buf_.size() - end_);
            std::memcpy(buf_.data() + end_, first.bytes.get() + first.taken, take);
            end_ += take;
            first.taken += take;
            if (first.taken == first.used) stored_.pop_front();
        }
        return true;
    }

    bool Fail(QList<Value>& out) {
        out.clear();
        broken_ = true;
        stored_.clear();  // of no more use
        return false;
    }

    void Stop_Child() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
        if (pid_ <= 0) return;
        // Killed only while it is ours: a child reaped elsewhere (SIGCHLD ignored) may have
        // handed its number to another process.
        int status = 0;
        pid_t w;
        while ((w = waitpid(pid_, &status, WNOHANG)) < 0 && errno == EINTR) {}
        if (w == 0) {
            kill(pid_, SIGKILL);
            while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
        }
        pid_ = -1;
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    int timeout_ms_ = 30000;
    struct Free_Block {
        void operator()(char* p) const { std::free(p); }
    };
    struct Stored {
        std::unique_ptr<char, Free_Block> bytes;
        size_t used = 0, taken = 0;
    };
    std::deque<Stored> stored_;  // the stream as received, not yet passed to buf_
    std::vector<char> buf_;
    size_t pos_ = 0, end_ = 0;
    unsigned rows_ = 0, cols_ = 0, last_a_ = 0;
    unsigned next_row_ = 1;  // the next row the stream holds
    uint32_t shared_count_ = 0;
    bool open_ = false;
    bool broken_ = false;
    FreeXL_Cell_Converter converter_;
};

}  // namespace

std::unique_ptr<Spreadsheet_Server> Create_Isolated_FreeXL_Server() { return std::make_unique<Isolated_Server>(); }

void Set_Reader_Child_Fault(Reader_Child_Fault fault, int row) {
    g_fault_row.store(row);
    g_fault.store(static_cast<int>(fault));
}

int Set_Reader_Child_Timeout(int ms) { return g_timeout_ms.exchange(ms < 1 ? 1 : ms); }

#else  // no fork(): FreeXL runs in the process

std::unique_ptr<Spreadsheet_Server> Create_Isolated_FreeXL_Server() { return nullptr; }
void Set_Reader_Child_Fault(Reader_Child_Fault, int) {}
int Set_Reader_Child_Timeout(int ms) { return ms; }

#endif
