// Workbook reader on FreeXL: the whole .xls is parsed by freexl_open, after which
// every cell is an O(1) lookup, so reading row by row costs only the conversions.
// FreeXL_Sheet and FreeXL_Cell_Converter are shared with the isolated reader.
#include "model/Spreadsheet_Server.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <climits>
#include <cstring>
#include <freexl.h>

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's civil-days formula);
// arithmetic rather than QDate so that FreeXL's 1900-02-29 (the 1900 leap-year bug of
// the format) still yields a day (1900-03-01) instead of an invalid date.
long long Days_From_Civil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr long long kDaysFrom1970To1899_12_30 = 25569;

// The date text being parsed; it need not end in NUL.
struct Cursor {
    const char* p;
    const char* end;
    bool Take(char ch) {
        if (p == end || *p != ch) return false;
        ++p;
        return true;
    }
    // Exactly `n` digits.
    bool Digits(int n, int& out) {
        if (end - p < n) return false;
        int v = 0;
        for (int i = 0; i < n; ++i, ++p) {
            if (*p < '0' || *p > '9') return false;
            v = v * 10 + (*p - '0');
        }
        out = v;
        return true;
    }
};

bool Parse_Ymd(Cursor& c, long long& days) {
    int y = 0, m = 0, d = 0;
    if (!c.Digits(4, y) || !c.Take('-') || !c.Digits(2, m) || !c.Take('-') || !c.Digits(2, d)) return false;
    if (m < 1 || m > 12 || d < 1 || d > 31) return false;
    days = Days_From_Civil(y, m, d) + kDaysFrom1970To1899_12_30;
    return true;
}

// FreeXL rounds to the second and may then print "24:00:00"; hour 24 is accepted and
// simply carries into the next day.
bool Parse_Hms(Cursor& c, double& fraction) {
    int h = 0, mi = 0, s = 0;
    if (!c.Digits(2, h) || !c.Take(':') || !c.Digits(2, mi) || !c.Take(':') || !c.Digits(2, s)) return false;
    if (h > 24 || mi > 59 || s > 59) return false;
    fraction = (h * 3600 + mi * 60 + s) / 86400.0;
    return true;
}

// FreeXL hands date cells over as text; turns them back into day numbers.
bool Date_Text_To_Day(int type, const char* text, qsizetype length, double& day) {
    if (!text) return false;
    Cursor c{text, text + length};
    long long days = 0;
    double fraction = 0;
    switch (type) {
    case FREEXL_CELL_DATE:
        if (!Parse_Ymd(c, days)) return false;
        break;
    case FREEXL_CELL_DATETIME:
        if (!Parse_Ymd(c, days) || !c.Take(' ') || !Parse_Hms(c, fraction)) return false;
        break;
    case FREEXL_CELL_TIME:
        if (!Parse_Hms(c, fraction)) return false;
        // a time alone has lost its day; a rounded-up 24:00:00 is midnight
        if (fraction >= 1.0) fraction = 0;
        break;
    default:
        return false;
    }
    if (c.p != c.end) return false;
    // Before the epoch the fraction counts away from zero, as classic day numbers do.
    day = days < 0 ? static_cast<double>(days) - fraction : static_cast<double>(days) + fraction;
    return true;
}

QString Utf8(const char* text, qsizetype length) {
    return text ? QString::fromUtf8(text, length) : QString();
}

class FreeXL_Server final : public Spreadsheet_Server {
public:
    ~FreeXL_Server() override { Close(); }

    bool Open(const QString& path) override {
        Close();
        // FreeXL would block on a pipe and give odd errors on a folder.
        if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
        return sheet_.Open(QFile::encodeName(path).constData());
    }

    int Last_Row_Column_A() override {
        const unsigned r = sheet_.Last_Row_Column_A();
        return r > static_cast<unsigned>(INT_MAX) ? INT_MAX : static_cast<int>(r);
    }

    bool Read_Row(int row, int firstCol, int lastCol, QList<Value>& out) override {
        out.clear();
        if (!sheet_.Is_Open() || row < 1 || firstCol < 1 || lastCol < firstCol || lastCol > USHRT_MAX + 1)
            return false;
        out.reserve(lastCol - firstCol + 1);
        const unsigned r = static_cast<unsigned>(row - 1);
        for (int col = firstCol; col <= lastCol; ++col) {
            const unsigned c0 = static_cast<unsigned>(col - 1);
            if (r >= sheet_.Rows() || c0 >= sheet_.Columns()) {  // outside the used range: blank
                out.append(Value());
                continue;
            }
            FreeXL_Cell c;
            if (!sheet_.Cell(r, c0, c)) {
                out.clear();
                return false;
            }
            out.append(converter_.Convert(c));
        }
        return true;
    }

    void Set_Screen_Updating(bool) override {}

    void Close() override {
        sheet_.Close();
        converter_.Clear();
    }

    void Quit() override { Close(); }

private:
    FreeXL_Sheet sheet_;
    FreeXL_Cell_Converter converter_;
};

std::atomic<Spreadsheet_Server_Factory> g_factory{nullptr};

}  // namespace

// ---------------------------------------------------------------- FreeXL_Sheet

bool FreeXL_Sheet::Open(const char* nativePath) {
    Close();
    const void* h = nullptr;
    if (freexl_open(nativePath, &h) != FREEXL_OK) {
        // FreeXL leaves a half-built handle behind on failure.
        if (h) freexl_close(h);
        return false;
    }
    unsigned int rows = 0;
    unsigned short cols = 0;
    if (freexl_select_active_worksheet(h, 0) != FREEXL_OK || freexl_worksheet_dimensions(h, &rows, &cols) != FREEXL_OK) {
        freexl_close(h);
        return false;
    }
    handle_ = h;
    // FreeXL's dimensions are counts, whatever its header comment says.
    rows_ = rows;
    cols_ = cols;
    return true;
}

void FreeXL_Sheet::Close() {
    if (handle_) freexl_close(handle_);
    handle_ = nullptr;
    rows_ = 0;
    cols_ = 0;
}

unsigned FreeXL_Sheet::Last_Row_Column_A() const {
    if (!handle_ || cols_ == 0) return 0;
    for (unsigned r = rows_; r > 0; --r) {
        FreeXL_CellValue c;
        if (freexl_get_cell_value(handle_, r - 1, 0, &c) == FREEXL_OK && c.type != FREEXL_CELL_NULL) return r;
    }
    return 0;
}

bool FreeXL_Sheet::Cell(unsigned row0, unsigned col0, FreeXL_Cell& out) const {
    out = FreeXL_Cell{};
    if (!handle_ || row0 >= rows_ || col0 >= cols_) return false;
    FreeXL_CellValue c;
    if (freexl_get_cell_value(handle_, row0, static_cast<unsigned short>(col0), &c) != FREEXL_OK) return false;
    out.Kind = c.type;
    switch (c.type) {
    case FREEXL_CELL_INT: out.Number = c.value.int_value; break;
    case FREEXL_CELL_DOUBLE: out.Number = c.value.double_value; break;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME: out.Text = c.value.text_value; break;
    default: break;  // FREEXL_CELL_NULL and anything a later FreeXL may add
    }
    return true;
}

// ---------------------------------------------------------------- FreeXL_Cell_Converter

Value FreeXL_Cell_Converter::Text(int kind, const char* text, qsizetype length) {
    switch (kind) {
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return Value::String(Utf8(text, length));
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME: {
        double day = 0;
        if (Date_Text_To_Day(kind, text, length, day)) return Value::Date(day);
        // an unexpected date text is still better shown than dropped
        return Value::String(Utf8(text, length));
    }
    default:
        return Value();
    }
}

Value FreeXL_Cell_Converter::Shared_Text(quintptr key, const char* text, qsizetype length) {
    auto it = shared_.find(key);
    if (it == shared_.end()) it = shared_.emplace(key, Utf8(text, length)).first;
    return Value::String(it->second);
}

Value FreeXL_Cell_Converter::Convert(const FreeXL_Cell& c) {
    switch (c.Kind) {
    case FREEXL_CELL_INT:
    case FREEXL_CELL_DOUBLE:
        return Number(c.Number);
    case FREEXL_CELL_SST_TEXT: {
        // A shared-string cell points into the workbook's string table, so the same short
        // text (a code, a name) is converted once and shared by every cell that holds it.
        const qsizetype length = c.Text ? static_cast<qsizetype>(std::strlen(c.Text)) : 0;
        if (c.Text && length <= Shared_Max) return Shared_Text(reinterpret_cast<quintptr>(c.Text), c.Text, length);
        return Text(c.Kind, c.Text, length);
    }
    default:
        return Text(c.Kind, c.Text, c.Text ? static_cast<qsizetype>(std::strlen(c.Text)) : 0);
    }
}

// ---------------------------------------------------------------- factories

std::unique_ptr<Spreadsheet_Server> Create_FreeXL_Server() { return std::make_unique<FreeXL_Server>(); }

std::unique_ptr<Spreadsheet_Server> Create_Spreadsheet_Server() {
    const Spreadsheet_Server_Factory f = g_factory.load();
    if (f) return f();
#if defined(_WIN32)
    return Create_FreeXL_Server();
#else
    // A damaged workbook may crash FreeXL: on POSIX it runs in a child process.
    return Create_Isolated_FreeXL_Server();
#endif
}

Spreadsheet_Server_Factory Set_Spreadsheet_Server_Factory(Spreadsheet_Server_Factory f) {
    return g_factory.exchange(f);
}
