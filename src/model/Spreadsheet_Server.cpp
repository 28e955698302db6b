#include "model/Spreadsheet_Server.h"

#include "model/File_Access.h"
#include "model/Isolated_Sheet_Reader.h"
#include "model/Workbook_Reader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>

namespace {

enum class Where { Ours_In_Process, In_Process, Isolated };

// The first sheet, read whole at Open, answered row by row.
class Workbook_Server final : public Spreadsheet_Server {
public:
    explicit Workbook_Server(Where where) : where_(where) {}

    bool Open(const QString& path) override {
        Close();
        bool ok = false;
        if (Isolated(path))
            ok = Read_First_Sheet_Isolated(path, cells_, why_);
        else
            ok = Read_First_Sheet(path, cells_, why_);
        open_ = ok;
        if (!ok) cells_.Clear();
        return ok;
    }

    QString Open_Failure() const override { return why_; }

    int Last_Row_Column_A() override { return open_ ? static_cast<int>(cells_.Last_Row_Column_A()) : 0; }

    bool Read_Row(int row, int firstCol, int lastCol, QList<Value>& out) override {
        out.clear();
        if (!open_ || row < 1 || firstCol < 1 || lastCol < firstCol || lastCol > int(Sheet_Max_Columns)) return false;
        out.resize(lastCol - firstCol + 1);
        const std::size_t n = cells_.Size();
        const auto r = static_cast<std::uint32_t>(row);
        // Rows are asked for in order: the next one is usually where the last one ended.
        const bool atRow = next_ < n && cells_.Row_At(next_) >= r && (next_ == 0 || cells_.Row_At(next_ - 1) < r);
        if (!atRow) {
            std::size_t lo = 0, hi = n;
            while (lo < hi) {
                const std::size_t mid = lo + (hi - lo) / 2;
                if (cells_.Row_At(mid) < r)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            next_ = lo;
        }
        std::size_t i = next_;
        for (; i < n && cells_.Row_At(i) == r; ++i) {
            const std::uint32_t c = cells_.Col_At(i);
            if (c >= std::uint32_t(firstCol) && c <= std::uint32_t(lastCol)) out[c - firstCol] = cells_.Value_At(i);
        }
        next_ = i;
        return true;
    }

    const Sheet_Cells* Cells() const override { return open_ ? &cells_ : nullptr; }
    void Set_Screen_Updating(bool) override {}
    void Close() override {
        cells_.Clear();
        open_ = false;
        next_ = 0;
        why_.clear();
    }
    void Quit() override { Close(); }

private:
    // Our own .xls reader is fuzzed and bounded, so it runs here; a file for liborcus goes
    // to a child where there is one.
    bool Isolated(const QString& path) const {
        if (where_ == Where::In_Process || !Isolated_Reading_Available()) return false;
        if (where_ == Where::Isolated) return true;
        QFile f;
        if (!Open_Regular_File(f, path)) return false;
        return Sniff_Workbook_Format(f.read(4096)) != Workbook_Format::Xls;
    }

    Where where_;
    Sheet_Cells cells_;
    QString why_;
    std::size_t next_ = 0;
    bool open_ = false;
};

std::atomic<Spreadsheet_Server_Factory> g_factory{nullptr};

}  // namespace

std::unique_ptr<Spreadsheet_Server> Create_Workbook_Server() {
    return std::make_unique<Workbook_Server>(Where::Ours_In_Process);
}

std::unique_ptr<Spreadsheet_Server> Create_In_Process_Workbook_Server() {
    return std::make_unique<Workbook_Server>(Where::In_Process);
}

std::unique_ptr<Spreadsheet_Server> Create_Isolated_Workbook_Server() {
    if (!Isolated_Reading_Available()) return nullptr;
    return std::make_unique<Workbook_Server>(Where::Isolated);
}

std::unique_ptr<Spreadsheet_Server> Create_Spreadsheet_Server() {
    const Spreadsheet_Server_Factory f = g_factory.load();
    return f ? f() : Create_Workbook_Server();
}

Spreadsheet_Server_Factory Set_Spreadsheet_Server_Factory(Spreadsheet_Server_Factory f) {
    return g_factory.exchange(f);
}
