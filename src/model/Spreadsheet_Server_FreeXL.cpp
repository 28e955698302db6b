// Workbook reader on FreeXL: the whole .xls is parsed by freexl_open, after which
// every cell is an O(1) lookup, so reading row by row costs only the conversions.
#include "model/Spreadsheet_Server.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <unordered_map>
#include <atomic>
#include <climits>
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

// Reads exactly `n` digits at p; advances p.
bool Digits(const char*& p, int n, int& out) {
    int v = 0;
    for (int i = 0; i < n; ++i, ++p) {
        if (*p < '0' || *p > '9') return false;
        v = v * 10 + (*p - '0');
    }
    out = v;
    return true;
}

bool Parse_Ymd(const char*& p, long long& days) {
    int y = 0, m = 0, d = 0;
    if (!Digits(p, 4, y) || *p++ != '-' || !Digits(p, 2, m) || *p++ != '-' || !Digits(p, 2, d))
        return false;
    if (m < 1 || m > 12 || d < 1 || d > 31) return false;
    days = Days_From_Civil(y, m, d) + kDaysFrom1970To1899_12_30;
    return true;
}

// FreeXL rounds to the second and may then print "24:00:00"; hour 24 is accepted and
// simply carries into the next day.
bool Parse_Hms(const char*& p, double& fraction) {
    int h = 0, mi = 0, s = 0;
    if (!Digits(p, 2, h) || *p++ != ':' || !Digits(p, 2, mi) || *p++ != ':' || !Digits(p, 2, s))
        return false;
    if (h > 24 || mi > 59 || s > 59) return false;
    fraction = (h * 3600 + mi * 60 + s) / 86400.0;
    return true;
}

// FreeXL hands date cells over as text; turns them back into day numbers.
bool Date_Text_To_Day(int type, const char* text, double& day) {
    if (!text) return false;
    const char* p = text;
    long long days = 0;
    double fraction = 0;
    switch (type) {
    case FREEXL_CELL_DATE:
        if (!Parse_Ymd(p, days)) return false;
        break;
    case FREEXL_CELL_DATETIME:
        if (!Parse_Ymd(p, days) || *p++ != ' ' || !Parse_Hms(p, fraction)) return false;
        break;
    case FREEXL_CELL_TIME:
        if (!Parse_Hms(p, fraction)) return false;
        // a time alone has lost its day; a rounded-up 24:00:00 is midnight
        if (fraction >= 1.0) fraction = 0;
        break;
    default:
        return false;
    }
    if (*p != '\0') return false;
    // Before the epoch the fraction counts away from zero, as classic day numbers do.
    day = days < 0 ? static_cast<double>(days) - fraction : static_cast<double>(days) + fraction;
    return true;
}

Value To_Value(const FreeXL_CellValue& c) {
    switch (c.type) {
    case FREEXL_CELL_INT:
        return Value::Double(c.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return Value::Double(c.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return Value::String(c.value.text_value ? QString::fromUtf8(c.value.text_value) : QString());
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME: {
        double day = 0;
        if (Date_Text_To_Day(c.type, c.value.text_value, day)) return Value::Date(day);
        // an unexpected date text is still better shown than dropped
        return Value::String(c.value.text_value ? QString::fromUtf8(c.value.text_value) : QString());
    }
    default:  // FREEXL_CELL_NULL and anything a later FreeXL may add
        return Value();
    }
}

class FreeXL_Server final : public Spreadsheet_Server {
public:
    ~FreeXL_Server() override { Close(); }

    bool Open(const QString& path) override {
        Close();
        // FreeXL would block on a pipe and give odd errors on a folder.
        if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
        const QByteArray native = QFile::encodeName(path);
        const void* h = nullptr;
        if (freexl_open(native.constData(), &h) != FREEXL_OK) {
            // FreeXL leaves a half-built handle behind on failure.
            if (h) freexl_close(h);
            return false;
        }
        unsigned int rows = 0;
        unsigned short cols = 0;
        if (freexl_select_active_worksheet(h, 0) != FREEXL_OK ||
            freexl_worksheet_dimensions(h, &rows, &cols) != FREEXL_OK) {
            freexl_close(h);
            return false;
        }
        handle_ = h;
        // FreeXL's dimensions are counts, whatever its header comment says.
        rows_ = rows;
        cols_ = cols;
        return true;
    }

    int Last_Row_Column_A() override {
        if (!handle_ || cols_ == 0) return 0;
        for (unsigned int r = rows_; r > 0; --r) {
            FreeXL_CellValue c;
            if (freexl_get_cell_value(handle_, r - 1, 0, &c) == FREEXL_OK && c.type != FREEXL_CELL_NULL)
                return r > static_cast<unsigned int>(INT_MAX) ? INT_MAX : static_cast<int>(r);
        }
        return 0;
    }

    bool Read_Row(int row, int firstCol, int lastCol, QList<Value>& out) override {
        out.clear();
        if (!handle_ || row < 1 || firstCol < 1 || lastCol < firstCol || lastCol > USHRT_MAX + 1)
            return false;
        out.reserve(lastCol - firstCol + 1);
        const unsigned int r = static_cast<unsigned int>(row - 1);
        for (int col = firstCol; col <= lastCol; ++col) {
            const unsigned int c0 = static_cast<unsigned int>(col - 1);
            if (r >= rows_ || c0 >= cols_) {  // outside the used range: blank
                out.append(Value());
                continue;
            }
            FreeXL_CellValue c;
            if (freexl_get_cell_value(handle_, r, static_cast<unsigned short>(c0), &c) != FREEXL_OK) {
                out.clear();
                return false;
            }
            out.append(Shared_Text(c));
        }
        return true;
    }

    void Set_Screen_Updating(bool) override {}

    // A shared-string cell points into the workbook's string table, so the same short
    // text (a code, a name) is converted once and shared by every cell that holds it.
    Value Shared_Text(const FreeXL_CellValue& c) {
        if (c.type != FREEXL_CELL_SST_TEXT || !c.value.text_value) return To_Value(c);
        const char* t = c.value.text_value;
        const size_t len = std::strlen(t);
        if (len > 24) return Value::String(QString::fromUtf8(t, static_cast<qsizetype>(len)));
        auto it = shared_.find(t);
        if (it == shared_.end()) it = shared_.emplace(t, QString::fromUtf8(t, static_cast<qsizetype>(len))).first;
        return Value::String(it->second);
    }

    void Close() override {
        if (handle_) freexl_close(handle_);
        handle_ = nullptr;
        shared_.clear();
        rows_ = 0;
        cols_ = 0;
    }

    void Quit() override { Close(); }

private:
    const void* handle_ = nullptr;
    unsigned int rows_ = 0;
    unsigned short cols_ = 0;
    std::unordered_map<const char*, QString> shared_;
};

std::atomic<Spreadsheet_Server_Factory> g_factory{nullptr};

}  // namespace

std::unique_ptr<Spreadsheet_Server> Create_FreeXL_Server() { return std::make_unique<FreeXL_Server>(); }

std::unique_ptr<Spreadsheet_Server> Create_Spreadsheet_Server() {
    const Spreadsheet_Server_Factory f = g_factory.load();
    return f ? f() : Create_FreeXL_Server();
}

Spreadsheet_Server_Factory Set_Spreadsheet_Server_Factory(Spreadsheet_Server_Factory f) {
    return g_factory.exchange(f);
}
