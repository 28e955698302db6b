// The .xls reader: Excel 97-2003 (BIFF8) and Excel 95 (BIFF5/7) workbooks inside a compound
// file, and the single-sheet files of Excel 2.x to 4.0 (BIFF2-4) kept as a bare record stream.
// Only the saved values of the first worksheet are taken; formulas are not evaluated.
#include "workbook/Compound_File.h"
#include "workbook/Format_Readers.h"
#include "workbook/Number_Format.h"
#include "workbook/Xls_Biff.h"

#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <unordered_map>
#include <vector>

namespace {

using namespace Biff;

using F = Workbook_Failure;

class Biff_Reader {
public:
    Biff_Reader(const QByteArray& stream, bool workbook_stream, Sheet_Cells& out)
        : base_(reinterpret_cast<const std::uint8_t*>(stream.constData())),
          size_(static_cast<std::size_t>(stream.size())),
          workbook_stream_(workbook_stream),
          out_(out) {}

    bool Run();
    Workbook_Failure Failure() const { return failure_; }

private:
    bool Record_At(std::size_t pos, Record& r) const {
        if (pos > size_ || size_ - pos < 4) return false;
        r.id = U16(base_ + pos);
        r.size = U16(base_ + pos + 2);
        if (size_ - pos - 4 < r.size) return false;
        r.data = base_ + pos + 4;
        return true;
    }
    static bool Is_Bof(std::uint16_t id) { return id == Rec_Bof || id == Rec_Bof4 || id == Rec_Bof3 || id == Rec_Bof2; }
    // The record at pos and the CONTINUE records following it.
    void Gather(std::size_t pos, const Record& r) {
        pieces_.Clear();
        pieces_.Add(r.data, r.size);
        Record c;
        for (pos += 4u + r.size; Record_At(pos, c) && c.id == Rec_Continue; pos += 4u + c.size)
            pieces_.Add(c.data, c.size);
        gathered_end_ = pos;
    }
    bool Fail(Workbook_Failure failure) {
        failure_ = failure;
        return false;
    }

    // The records of one substream from pos, those of embedded substreams (a chart on a
    // sheet) left out: each call gives the next at its own level (here: where it starts)
    // and answers false at the substream's EOF or where the data ends.
    bool Next_Own_Record(std::size_t& pos, Record& r, std::size_t& here, int& depth) const;
    bool Read_Globals(std::size_t& pos, std::vector<std::uint32_t>& sheet_offsets);
    bool Read_Sheet(std::size_t pos);
    std::size_t Count_Cells(std::size_t pos) const;
    bool Globals_Record(std::size_t pos, const Record& r);
    void Read_Sst();
    bool Read_Text(std::uint32_t length_bytes, QString& text);
    void Add_Format(std::uint16_t id, const QString& code);
    // Before BIFF5 every format in use is written in the file; later the built-in ones are not.
    bool Format_Is_Date(std::uint16_t id) const {
        const auto known = format_is_date_.find(id);
        if (known != format_is_date_.end()) return known->second;
        return biff_ >= 5 && Is_Builtin_Date_Format(id);
    }
    bool Is_Date_Xf(std::uint32_t xf) const {
        if (xf < xf_is_date_.size()) return xf_is_date_[xf];
        return xf < xf_format_.size() && Format_Is_Date(xf_format_[xf]);
    }
    bool Put(std::uint32_t row, std::uint32_t col, Cell_Value v) {
        if (out_.Add(row + 1, col + 1, std::move(v))) return true;
        return Fail(out_.Beyond_Sheet() ? F::Beyond_Sheet : F::Too_Many_Cells_Xls);
    }
    bool Put_Number(std::uint32_t row, std::uint32_t col, bool date, double d) {
        if (!date) return Put(row, col, Cell_Value::Of_Number(d));
        return Put(row, col, Cell_Value::Of_Date(date_1904_ ? d + Days_1904_Shift : d));
    }
    // A text cell whose text (its length in `length_bytes`) starts `skip` bytes into the record.
    bool Put_Label(std::size_t here, const Record& r, std::size_t skip, std::uint32_t length_bytes) {
        Gather(here, r);
        pieces_.Skip(skip);
        return Put_Text(U16(r.data), U16(r.data + 2), length_bytes);
    }
    // The text at the reader's position as the cell's value.
    bool Put_Text(std::uint32_t row, std::uint32_t col, std::uint32_t length_bytes) {
        QString text;
        if (!Read_Text(length_bytes, text) && text_too_long_) return Fail(F::Text_Too_Long);
        return Put(row, col, Cell_Value::Of_Text(std::move(text)));
    }
    bool Put_Error_Or_Bool(std::uint32_t row, std::uint32_t col, std::uint8_t value, bool error) {
        return Put(row, col, error ? Cell_Value::Of_Error(2000 + value) : Cell_Value::Of_Boolean(value != 0));
    }

    const std::uint8_t* base_;
    std::size_t size_;
    bool workbook_stream_;
    Sheet_Cells& out_;
    Workbook_Failure failure_ = F::None;

    int biff_ = 8;
    bool date_1904_ = false;
    bool text_too_long_ = false;
    Code_Page code_page_;
    Pieces pieces_;
    std::size_t gathered_end_ = 0;
    QByteArray bytes_;
    // The string table is kept by the cells themselves: sst_first_ is its first entry there.
    std::size_t sst_first_ = 0, sst_count_ = 0;
    // Number format of each XF record, and which format numbers show dates. Before BIFF5
    // the formats are numbered by their order in the file.
    std::vector<std::uint16_t> xf_format_;
    std::unordered_map<std::uint16_t, bool> format_is_date_;
    std::uint16_t formats_seen_ = 0;
    // From BIFF5 on, formats come before the sheets: a table for the cells to look up.
    std::vector<std::uint8_t> xf_is_date_;
};

// A text with its character count in `length_bytes` bytes at the reader's position: Unicode
// in BIFF8, the code page's bytes before. A count beyond what a cell holds is not read.
bool Biff_Reader::Read_Text(std::uint32_t length_bytes, QString& text) {
    std::uint32_t count = 0;
    if (length_bytes == 2) {
        std::uint16_t w;
        if (!pieces_.Word(w)) return false;
        count = w;
    } else {
        std::uint8_t b;
        if (!pieces_.Byte(b)) return false;
        count = b;
    }
    if (count > Sheet_Max_Text) {
        text_too_long_ = true;
        return false;
    }
    if (biff_ == 8) {
        std::uint8_t flags;
        if (!pieces_.Byte(flags)) return count == 0;
        return pieces_.Chars(count, flags & 1, text);
    }
    count = static_cast<std::uint32_t>(std::min<std::size_t>(count, pieces_.Total()));
    bytes_.resize(count);
    if (!pieces_.Bytes(reinterpret_cast<std::uint8_t*>(bytes_.data()), count)) return false;
    text = code_page_.Decode(bytes_.constData(), count);
    return true;
}

void Biff_Reader::Add_Format(std::uint16_t id, const QString& code) { format_is_date_[id] = Is_Date_Format_Code(code); }

void Biff_Reader::Read_Sst() {
    sst_first_ = out_.Shared_Text_Count();
    sst_count_ = 0;
    std::uint32_t header[2];
    if (!pieces_.Dword(header[0]) || !pieces_.Dword(header[1])) return;
    // Strings are read to the end of the data, whatever the count says: some writers
    // give a wrong one, and cells point at strings by position.
    for (;;) {
        std::uint16_t count;
        std::uint8_t flags;
        if (!pieces_.Word(count) || !pieces_.Byte(flags)) return;
        std::uint16_t runs = 0;
        std::uint32_t phonetic = 0;
        if ((flags & 0x08) && !pieces_.Word(runs)) return;
        if ((flags & 0x04) && !pieces_.Dword(phonetic)) return;
        if (count > Sheet_Max_Text) {
            text_too_long_ = true;
            return;
        }
        QString s;
        const bool complete = pieces_.Chars(count, flags & 1, s);
        out_.Add_Shared_Text(std::move(s));
        ++sst_count_;
        if (!complete || !pieces_.Skip(4u * runs) || !pieces_.Skip(phonetic)) return;
    }
}

bool Biff_Reader::Globals_Record(std::size_t pos, const Record& r) {
    const std::uint8_t* p = r.data;
    switch (r.id) {
    case Rec_Filepass: return Fail(F::Password);
    case Rec_Codepage:
        if (r.size >= 2) code_page_.Set(U16(p));
        break;
    case Rec_Datemode:
        if (r.size >= 2) date_1904_ = U16(p) != 0;
        break;
    case Rec_Xf:
        if (r.size >= 4) xf_format_.push_back(U16(p + 2));
        break;
    case Rec_Xf4:
    case Rec_Xf3:
        if (r.size >= 2) xf_format_.push_back(p[1]);
        break;
    case Rec_Xf2:
        if (r.size >= 3) xf_format_.push_back(p[2] & 0x3F);
        break;
    case Rec_Format:
    case Rec_Format2: {
        Gather(pos, r);
        QString code;
        if (biff_ >= 5) {
            std::uint16_t id;
            if (!pieces_.Word(id)) break;
            Read_Text(biff_ == 8 ? 2 : 1, code);
            Add_Format(id, code);
        } else {
            if (r.id == Rec_Format && !pieces_.Skip(2)) break;
            Read_Text(1, code);
            Add_Format(formats_seen_++, code);
        }
        break;
    }
    case Rec_Sst:
        if (biff_ == 8) {
            gathered_end_ = 0;
            Gather(pos, r);
            Read_Sst();
            if (text_too_long_) return Fail(F::Text_Too_Long);
            // The strings are copied out: their bytes, most of the file, are of no more use.
            out_.Release_Input(base_, base_ + gathered_end_);
        }
        break;
    default: break;
    }
    return true;
}

bool Biff_Reader::Next_Own_Record(std::size_t& pos, Record& r, std::size_t& here, int& depth) const {
    while (Record_At(pos, r)) {
        here = pos;
        pos += 4u + r.size;
        if (Is_Bof(r.id))
            ++depth;
        else if (r.id == Rec_Eof) {
            if (depth-- == 0) return false;
        } else if (depth == 0)
            return true;
    }
    return false;
}

bool Biff_Reader::Read_Globals(std::size_t& pos, std::vector<std::uint32_t>& sheet_offsets) {
    Record r;
    std::size_t here = 0;
    int depth = 0;
    while (Next_Own_Record(pos, r, here, depth)) {
        if (r.id == Rec_Boundsheet && r.size >= 6) {
            // Tab order; only worksheets, not charts, macro sheets or modules.
            if (r.data[5] == 0) sheet_offsets.push_back(U32(r.data));
            continue;
        }
        if (!Globals_Record(here, r)) return false;
        // The string table's CONTINUE records were read with it; walking them again would
        // bring back the pages just given back.
        if (r.id == Rec_Sst && gathered_end_ > pos) pos = gathered_end_;
    }
    return true;
}

// The cells a sheet's records hold at most, so that the table is allocated once.
std::size_t Biff_Reader::Count_Cells(std::size_t pos) const {
    Record r;
    std::size_t here = 0, count = 0;
    int depth = 0;
    while (Next_Own_Record(pos, r, here, depth)) {
        switch (r.id) {
        case Rec_Labelsst:
        case Rec_Number:
        case Rec_Rk:
        case Rec_Label:
        case Rec_Rstring:
        case Rec_Boolerr:
        case Rec_Formula:
        case Rec_Formula3:
        case Rec_Formula4: ++count; break;
        case Rec_Mulrk: count += r.size >= 6 ? (r.size - 6u) / 6u : 0; break;
        default: break;
        }
    }
    return count;
}

bool Biff_Reader::Read_Sheet(std::size_t pos) {
    out_.Reserve(out_.Size() + std::min(Count_Cells(pos), out_.Max_Cells()));
    Record r;
    std::size_t here = 0;
    int depth = 0;
    bool string_pending = false;
    std::uint16_t pending_row = 0, pending_col = 0;
    while (Next_Own_Record(pos, r, here, depth)) {
        const std::uint8_t* p = r.data;
        const std::uint16_t n = r.size;
        switch (r.id) {
        case Rec_Labelsst:
            if (n >= 10) {
                const std::uint32_t index = U32(p + 6);
                if (index < sst_count_ && !out_.Add_Shared_Text_Cell(U16(p) + 1u, U16(p + 2) + 1u, sst_first_ + index))
                    return Fail(out_.Beyond_Sheet() ? F::Beyond_Sheet : F::Too_Many_Cells_Xls);
            }
            string_pending = false;
            continue;
        case Rec_Number:
            if (n >= 14 && !Put_Number(U16(p), U16(p + 2), Is_Date_Xf(U16(p + 4)), F64(p + 6))) return false;
            string_pending = false;
            continue;
        case Rec_Rk:
            if (n >= 10 && !Put_Number(U16(p), U16(p + 2), Is_Date_Xf(U16(p + 4)), Rk_Value(U32(p + 6)))) return false;
            string_pending = false;
            continue;
        case Rec_Mulrk:
            if (n >= 6) {
                const std::uint16_t row = U16(p), first = U16(p + 2);
                const std::uint32_t count = (n - 6u) / 6u;
                for (std::uint32_t i = 0; i < count; ++i) {
                    const std::uint8_t* item = p + 4 + 6 * i;
                    if (!Put_Number(row, first + i, Is_Date_Xf(U16(item)), Rk_Value(U32(item + 2)))) return false;
                }
            }
            string_pending = false;
            continue;
        case Rec_Label:
        case Rec_Rstring:
            if (n >= 8 && !Put_Label(here, r, 6, 2)) return false;
            string_pending = false;
            continue;
        case Rec_Boolerr:
            if (n >= 8 && !Put_Error_Or_Bool(U16(p), U16(p + 2), p[6], p[7] != 0)) return false;
            string_pending = false;
            continue;
        case Rec_Formula3:
        case Rec_Formula4:
        case Rec_Formula:
            if (r.id == Rec_Formula2 && biff_ == 2) break;
            string_pending = false;
            if (n >= 14) {
                const std::uint16_t row = U16(p), col = U16(p + 2);
                const std::uint8_t* result = p + 6;
                if (result[6] != 0xFF || result[7] != 0xFF) {
                    if (!Put_Number(row, col, Is_Date_Xf(U16(p + 4)), F64(result))) return false;
                } else if (result[0] == 0) {
                    string_pending = true;  // the text is in the STRING record that follows
                    pending_row = row;
                    pending_col = col;
                } else if (result[0] == 1 || result[0] == 2) {
                    if (!Put_Error_Or_Bool(row, col, result[2], result[0] == 2)) return false;
                }
            }
            continue;
        case Rec_String:
            if (string_pending && biff_ > 2) {
                Gather(here, r);
                if (!Put_Text(pending_row, pending_col, 2)) return false;
            }
            string_pending = false;
            continue;
        default: break;
        }
        if (biff_ == 2) {
            // Cells of Excel 2.x carry three attribute bytes instead of an XF number; the
            // second holds the number format.
            switch (r.id) {
            case Rec_Integer2:
                if (n >= 9 && !Put_Number(U16(p), U16(p + 2), Format_Is_Date(p[5] & 0x3F), U16(p + 7))) return false;
                string_pending = false;
                continue;
            case Rec_Number2:
                if (n >= 15 && !Put_Number(U16(p), U16(p + 2), Format_Is_Date(p[5] & 0x3F), F64(p + 7))) return false;
                string_pending = false;
                continue;
            case Rec_Label2:
                if (n >= 8 && !Put_Label(here, r, 7, 1)) return false;
                string_pending = false;
                continue;
            case Rec_Boolerr2:
                if (n >= 9 && !Put_Error_Or_Bool(U16(p), U16(p + 2), p[7], p[8] != 0)) return false;
                string_pending = false;
                continue;
            case Rec_Formula2:
                string_pending = false;
                if (n >= 15) {
                    const std::uint16_t row = U16(p), col = U16(p + 2);
                    const std::uint8_t* result = p + 7;
                    if (result[6] != 0xFF || result[7] != 0xFF) {
                        if (!Put_Number(row, col, Format_Is_Date(p[5] & 0x3F), F64(result))) return false;
                    } else if (result[0] == 0) {
                        string_pending = true;
                        pending_row = row;
                        pending_col = col;
                    } else if (result[0] == 1 || result[0] == 2) {
                        if (!Put_Error_Or_Bool(row, col, result[2], result[0] == 2)) return false;
                    }
                }
                continue;
            case Rec_String2:
                if (string_pending) {
                    Gather(here, r);
                    if (!Put_Text(pending_row, pending_col, 1)) return false;
                }
                string_pending = false;
                continue;
            default: break;
            }
        }
        // Excel 2.x to 4.0 keep their formats, code page and date system in the sheet itself.
        if (biff_ < 5 && !Globals_Record(here, r)) return false;
    }
    return true;  // a stream cut short keeps the cells read so far
}

bool Biff_Reader::Run() {
    Record r;
    if (!Record_At(0, r) || !Is_Bof(r.id) || r.size < 4) return Fail(F::Not_An_Excel_File);
    const std::uint16_t version = U16(r.data), kind = U16(r.data + 2);
    switch (r.id) {
    case Rec_Bof2: biff_ = 2; break;
    case Rec_Bof3: biff_ = 3; break;
    case Rec_Bof4: biff_ = 4; break;
    default:
        // Some writers leave the version empty; the stream's name tells it then.
        biff_ = version == 0x0600 ? 8 : version == 0x0500 ? 5 : (workbook_stream_ ? 8 : 5);
        break;
    }
    if (kind == Bof_Workspace || (biff_ < 5 && kind == Bof_Globals)) return Fail(F::Old_Workbook);
    if (kind == Bof_Worksheet) return Read_Sheet(4u + r.size);
    if (kind != Bof_Globals) return true;  // a lone chart or macro sheet: no cells

    std::size_t pos = 4u + r.size;
    std::vector<std::uint32_t> sheets;
    if (!Read_Globals(pos, sheets)) return false;
    xf_is_date_.resize(xf_format_.size());
    for (std::size_t i = 0; i < xf_format_.size(); ++i) xf_is_date_[i] = Format_Is_Date(xf_format_[i]);
    for (std::uint32_t offset : sheets) {
        Record bof;
        if (!Record_At(offset, bof) || !Is_Bof(bof.id) || bof.size < 4) return Fail(F::Sheet_Damaged);
        if (U16(bof.data + 2) == Bof_Worksheet) return Read_Sheet(offset + 4u + bof.size);
    }
    return true;
}

}  // namespace

Workbook_Failure Read_Xls(QByteArrayView data, Sheet_Cells& out) {
    out.Clear();
    try {
        QByteArray stream;
        bool workbook_stream = true;
        if (Compound_File::Has_Signature(data)) {
            Compound_File file;
            if (!file.Open(data)) return F::Sheet_Damaged;
            if (file.Has_Stream(u"EncryptedPackage") || file.Has_Stream(u"EncryptionInfo")) return F::Encrypted_Package;
            // Excel 97 and later name the stream Workbook, Excel 5 and 95 Book.
            workbook_stream = file.Has_Stream(u"Workbook");
            if (!workbook_stream && !file.Has_Stream(u"Book")) return F::Not_An_Excel_File;
            if (!file.Read_Stream(workbook_stream ? QStringView(u"Workbook") : QStringView(u"Book"), stream))
                return F::Sheet_Damaged;
        } else {
            // Excel 2.x to 4.0 saved a sheet as a bare record stream.
            stream = QByteArray::fromRawData(data.data(), data.size());
            workbook_stream = false;
        }
        Biff_Reader reader(stream, workbook_stream, out);
        if (!reader.Run()) {
            out.Clear();
            return reader.Failure() == F::None ? F::First_Sheet_Damaged : reader.Failure();
        }
        out.Finish();
        return F::None;
    } catch (const std::bad_alloc&) {
        out.Clear();
        return F::Too_Large;
    } catch (const std::exception&) {
        out.Clear();
        return F::Sheet_Damaged;
    }
}
