// The .xlsx reader: the first worksheet's cell values from the package's XML parts.
#include "workbook/Format_Readers.h"
#include "workbook/Number_Format.h"
#include "workbook/Office_Package.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

using namespace Office_Package;

// The two namespaces of the relationship types: the transitional one most programs write
// and the strict one.
constexpr string_view kRelationship_Namespaces[] = {
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/",
    "http://purl.oclc.org/ooxml/officeDocument/relationships/"};

bool Is_Type(string_view type, string_view name) {
    for (const string_view ns : kRelationship_Namespaces)
        if (type.size() == ns.size() + name.size() && type.substr(0, ns.size()) == ns && type.substr(ns.size()) == name)
            return true;
    return false;
}

// "xl/worksheets/sheet1.xml" from the folder of the part holding the relationship and its
// target ("worksheets/sheet1.xml", "/xl/worksheets/sheet1.xml", "../media/x.xml"); "" when
// the target climbs out of the package, so that nothing outside it is ever taken for a part.
std::string Resolve_Target(string_view base_dir, string_view target) {
    std::string path;
    if (!target.empty() && target.front() == '/')
        target.remove_prefix(1);
    else
        path = std::string(base_dir);
    std::vector<std::string> parts;
    bool escapes = false;
    auto push_all = [&parts, &escapes](string_view s) {
        while (!s.empty()) {
            const std::size_t slash = s.find_first_of("/\\");
            const string_view piece = s.substr(0, slash);
            if (piece == "..") {
                if (parts.empty())
                    escapes = true;
                else
                    parts.pop_back();
            } else if (!piece.empty() && piece != ".") {
                parts.emplace_back(piece);
            }
            if (slash == string_view::npos) break;
            s.remove_prefix(slash + 1);
        }
    };
    push_all(path);
    push_all(target);
    std::string out;
    if (escapes) return out;
    for (const std::string& p : parts) {
        if (!out.empty()) out += '/';
        out += p;
    }
    return out;
}

struct Relationship {
    std::string id, type, target;
};

// A .rels part: each relationship's id, type and resolved target.
class Rels_Handler : public Handler_Base {
public:
    Rels_Handler(string_view base_dir, std::vector<Relationship>& out) : base_dir_(base_dir), out_(out) {}

    void start_element(const orcus::sax::parser_element& e) {
        if (e.name == "Relationship" && attrs_.Get("TargetMode") != "External")
            out_.push_back({std::string(attrs_.Get("Id")), std::string(Trim(attrs_.Get("Type"))),
                            Resolve_Target(base_dir_, Trim(attrs_.Get("Target")))});
        attrs_.items.clear();
    }
    void end_element(const orcus::sax::parser_element&) {}

private:
    std::string base_dir_;
    std::vector<Relationship>& out_;
};

// The relationships of `part` ("" for the package's own), from "<folder>/_rels/<name>.rels".
std::vector<Relationship> Read_Rels(const Package& pkg, string_view part) {
    std::vector<Relationship> rels;
    const std::size_t slash = part.rfind('/');
    const string_view dir = slash == string_view::npos ? string_view() : part.substr(0, slash);
    const std::string rels_part = std::string(dir) + (dir.empty() ? "" : "/") + "_rels/" +
                                  std::string(slash == string_view::npos ? part : part.substr(slash + 1)) + ".rels";
    Part rels_xml;
    if (!pkg.Read(rels_part, rels_xml)) return rels;
    Rels_Handler h(dir, rels);
    Parse_Xml(rels_xml, h);
    return rels;
}

const Relationship* Find_Rel_By_Type(const std::vector<Relationship>& rels, string_view type) {
    for (const Relationship& r : rels)
        if (Is_Type(r.type, type)) return &r;
    return nullptr;
}

constexpr string_view kUsual_Workbook_Part = "xl/workbook.xml";

// The workbook part the package's relationships name; without a readable one that names a
// part present, the workbook is where it always is. "" when the package has neither.
std::string Workbook_Part(const Package& pkg) {
    try {
        const std::vector<Relationship> package_rels = Read_Rels(pkg, "");
        if (const Relationship* r = Find_Rel_By_Type(package_rels, "officeDocument"); r && pkg.Has(r->target))
            return r->target;
    } catch (const orcus::parse_error&) {}
    return pkg.Has(kUsual_Workbook_Part) ? std::string(kUsual_Workbook_Part) : std::string();
}

// Whether the part's first element is a workbook: a word-processing or presentation package
// names its main part by the same relationship.
class Root_Element_Handler : public Handler_Base {
public:
    string_view root;
    void start_element(const orcus::sax::parser_element& e) {
        root = e.name;
        throw Stop_Parsing{};
    }
    void end_element(const orcus::sax::parser_element&) {}
};

// workbook.xml: the date system and the relationship ids of the sheets in tab order.
class Workbook_Handler : public Handler_Base {
public:
    bool date1904 = false;
    std::vector<std::string> sheet_ids;

    void start_element(const orcus::sax::parser_element& e) {
        if (e.name == "workbookPr") {
            const string_view v = Trim(attrs_.Get("date1904"));
            date1904 = v == "1" || Equals_No_Case(v, "true");
        } else if (e.name == "sheet") {
            for (const Attributes::Item& a : attrs_.items)
                if (a.name == "id" && !a.prefix.empty()) sheet_ids.emplace_back(a.value);
        }
        attrs_.items.clear();
    }
    void end_element(const orcus::sax::parser_element& e) {
        if (e.name == "sheets") throw Stop_Parsing{};
    }
};

// A cell's text before it is decoded: a UTF-16 character takes seven bytes at the most, as
// "_x000D_".
constexpr std::size_t kMax_Text_Bytes = 7 * std::size_t(Sheet_Max_Text);

// Turns "_x000D_" (the way these files escape characters XML cannot hold) back into the character.
QString Unescape_Xml_Chars(QString s) {
    QString out;
    out.reserve(s.size());
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] == QLatin1Char('_') && i + 6 < n && s[i + 1] == QLatin1Char('x') && s[i + 6] == QLatin1Char('_')) {
            char16_t code = 0;
            qsizetype k = i + 2;
            for (; k < i + 6; ++k) {
                const char16_t h = s[k].unicode();
                const int digit = h >= '0' && h <= '9'   ? h - '0'
                                  : h >= 'a' && h <= 'f' ? h - 'a' + 10
                                  : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                         : -1;
                if (digit < 0) break;
                code = char16_t(code * 16 + digit);
            }
            if (k == i + 6) {
                out += QChar(code);
                i += 6;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// A cell's text from its UTF-8, escaped characters restored and its length checked.
QString Cell_Text(string_view utf8) {
    // Looked for in the bytes: most texts have no escape, and a search of the decoded text costs more.
    const bool escaped = utf8.find("_x") != string_view::npos;
    QString text = From_Utf8(utf8);
    return Checked_Cell_Text(escaped ? Unescape_Xml_Chars(std::move(text)) : std::move(text));
}

// Whether a cell's UTF-8 can be kept as it stands: it has no escaped character to restore.
// A text too long fails.
bool Plain_Cell_Text(string_view utf8) {
    if (utf8.find("_x") != string_view::npos) return false;
    Check_Cell_Text_Length(utf8);
    return true;
}

// styles.xml: for each cell format (the cells' s attribute), whether it shows a date.
class Styles_Handler : public Handler_Base {
public:
    void start_element(const orcus::sax::parser_element& e) {
        if (e.name == "numFmt") {
            std::uint64_t id = 0;
            if (Parse_Unsigned(attrs_.Get("numFmtId"), id)) codes_[id] = std::string(attrs_.Get("formatCode"));
        } else if (e.name == "cellXfs") {
            in_cell_xfs_ = true;
        } else if (e.name == "xf" && in_cell_xfs_) {
            std::uint64_t id = 0;
            xf_formats_.push_back(Parse_Unsigned(attrs_.Get("numFmtId"), id) ? id : 0);
        }
        attrs_.items.clear();
    }
    void end_element(const orcus::sax::parser_element& e) {
        if (e.name == "cellXfs") in_cell_xfs_ = false;
    }

    std::vector<bool> Date_Formats() const {
        std::vector<bool> dates;
        dates.reserve(xf_formats_.size());
        for (std::uint64_t id : xf_formats_) {
            const auto it = codes_.find(id);
            dates.push_back(it != codes_.end() ? Is_Date_Format_Code(From_Utf8(it->second))
                                               : id < 1000 && Is_Builtin_Date_Format(int(id)));
        }
        return dates;
    }

private:
    std::unordered_map<std::uint64_t, std::string> codes_;
    std::vector<std::uint64_t> xf_formats_;
    bool in_cell_xfs_ = false;
};

// sharedStrings.xml: each item's text, its rich-text runs joined, its phonetic guide left out.
class Shared_Strings_Handler : public Handler_Base {
public:
    // The entries are added to the cells' texts; the first is number `first` there.
    explicit Shared_Strings_Handler(Sheet_Cells& out) : out_(out), first_(out.Shared_Text_Count()) {}
    std::size_t First() const { return first_; }
    std::size_t Count() const { return out_.Shared_Text_Count() - first_; }

    void start_element(const orcus::sax::parser_element& e) {
        attrs_.items.clear();
        if (e.name == "si") {
            text_.clear();
            in_item_ = true;
        } else if (e.name == "rPh") {
            ++phonetic_;
        } else if (e.name == "t" && in_item_ && !phonetic_) {
            in_text_ = true;
        }
    }
    void end_element(const orcus::sax::parser_element& e) {
        if (e.name == "t") {
            in_text_ = false;
        } else if (e.name == "rPh") {
            if (phonetic_) --phonetic_;
        } else if (e.name == "si" && in_item_) {
            in_item_ = false;
            if (Count() >= out_.Max_Cells()) Fail(Workbook_Failure::Too_Many_Cells);
            if (Plain_Cell_Text(text_))
                out_.Add_Shared_Utf8(text_);
            else
                out_.Add_Shared_Text(Cell_Text(text_));
        }
    }
    void characters(string_view s, bool) {
        if (in_text_) Append_Cell_Text(text_, s, kMax_Text_Bytes);
    }

private:
    Sheet_Cells& out_;
    const std::size_t first_;
    std::string text_;
    bool in_item_ = false, in_text_ = false;
    int phonetic_ = 0;
};

// "AB12" as 1-based row and column; false when it is not a cell reference.
bool Parse_Cell_Ref(string_view s, std::uint32_t& row, std::uint32_t& col) {
    std::size_t i = 0;
    std::uint32_t c = 0;
    while (i < s.size() && i < 4) {
        const char ch = char(s[i] | 0x20);
        if (ch < 'a' || ch > 'z') break;
        c = c * 26 + std::uint32_t(ch - 'a' + 1);
        ++i;
    }
    if (i == 0) return false;
    std::uint64_t r = 0;
    if (!Parse_Unsigned(s.substr(i), r) || r == 0 || r > 0xFFFFFFFFu) return false;
    row = std::uint32_t(r);
    col = c;
    return true;
}

// One worksheet part: each cell's saved value.
class Sheet_Handler : public Handler_Base {
public:
    // The shared strings are the cells' texts first_string.. first_string + strings - 1.
    Sheet_Handler(Sheet_Cells& out, std::size_t first_string, std::size_t strings, const std::vector<bool>& date_xfs,
                  bool date1904)
        : out_(out),
          first_string_(first_string),
          strings_(strings),
          date_xfs_(date_xfs),
          date_shift_(date1904 ? Days_1904_Shift : 0.0) {}

    void start_element(const orcus::sax::parser_element& e) {
        const string_view name = e.name;
        if (in_cell_) {
            if (name == "v") {
                in_value_ = true;
                has_value_ = true;
            } else if (name == "is") {
                in_inline_ = true;
                has_inline_ = true;
            } else if (name == "rPh") {
                ++phonetic_;
            } else if (name == "t" && in_inline_ && !phonetic_) {
                in_text_ = true;
            }
        } else if (name == "c" && in_data_) {
            Start_Cell();
        } else if (name == "row" && in_data_) {
            std::uint64_t r = 0;
            row_ = Parse_Unsigned(attrs_.Get("r"), r) && r > 0 ? std::uint32_t(std::min<std::uint64_t>(r, 0xFFFFFFFFu))
                                                               : row_ + 1;
            col_ = 0;
        } else if (name == "sheetData") {
            in_data_ = true;
        }
        attrs_.items.clear();
    }

    void end_element(const orcus::sax::parser_element& e) {
        const string_view name = e.name;
        if (!in_cell_) {
            if (name == "sheetData") throw Stop_Parsing{};
            return;
        }
        if (name == "v") {
            in_value_ = false;
        } else if (name == "t") {
            in_text_ = false;
        } else if (name == "rPh") {
            if (phonetic_) --phonetic_;
        } else if (name == "is") {
            in_inline_ = false;
        } else if (name == "c") {
            in_cell_ = false;
            End_Cell();
        }
    }

    void characters(string_view s, bool) {
        if (in_value_)
            Append_Cell_Text(value_, s, kMax_Text_Bytes);
        else if (in_text_)
            Append_Cell_Text(inline_, s, kMax_Text_Bytes);
    }

private:
    enum class Kind { Number, Shared, Text, Inline, Boolean, Error, Date };

    void Start_Cell() {
        in_cell_ = true;
        in_value_ = in_inline_ = in_text_ = has_value_ = has_inline_ = false;
        phonetic_ = 0;
        value_.clear();
        inline_.clear();
        std::uint32_t r = 0, c = 0;
        if (Parse_Cell_Ref(attrs_.Get("r"), r, c)) {
            cell_row_ = r;
            col_ = c;
        } else {
            cell_row_ = row_;
            ++col_;
        }
        const string_view t = attrs_.Get("t");
        kind_ = t.empty() || t == "n" ? Kind::Number
                : t == "s"            ? Kind::Shared
                : t == "str"          ? Kind::Text
                : t == "inlineStr"    ? Kind::Inline
                : t == "b"            ? Kind::Boolean
                : t == "e"            ? Kind::Error
                : t == "d"            ? Kind::Date
                                      : Kind::Number;
        std::uint64_t s = 0;
        xf_ = Parse_Unsigned(attrs_.Get("s"), s) ? s : 0;
    }

    void End_Cell() {
        Cell_Value v;
        switch (kind_) {
        case Kind::Number: {
            double d = 0;
            if (!has_value_ || !Parse_Double(value_, d)) return;
            if (xf_ < date_xfs_.size() && date_xfs_[std::size_t(xf_)])
                v = Cell_Value::Of_Date(d + date_shift_);
            else
                v = Cell_Value::Of_Number(d);
            break;
        }
        case Kind::Shared: {
            std::uint64_t i = 0;
            if (!Parse_Unsigned(value_, i) || i >= strings_) return;
            if (!out_.Add_Shared_Text_Cell(cell_row_, col_, first_string_ + std::size_t(i))) Fail_Full();
            return;
        }
        case Kind::Text:
        case Kind::Inline: {
            const string_view t = kind_ == Kind::Inline && has_inline_ ? string_view(inline_) : string_view(value_);
            if (!(Plain_Cell_Text(t) ? out_.Add_Utf8_Text(cell_row_, col_, t)
                                     : out_.Add(cell_row_, col_, Cell_Value::Of_Text(Cell_Text(t)))))
                Fail_Full();
            return;
        }
        case Kind::Boolean: {
            const string_view b = Trim(value_);
            if (b.empty()) return;
            v = Cell_Value::Of_Boolean(b != "0" && !Equals_No_Case(b, "false"));
            break;
        }
        case Kind::Error:
            if (Trim(value_).empty()) return;
            v = Cell_Value::Of_Error(Error_Code(value_));
            break;
        case Kind::Date: {
            double d = 0;
            if (!Parse_Iso_Date_Time(value_, d)) return;
            v = Cell_Value::Of_Date(d);
            break;
        }
        }
        if (!out_.Add(cell_row_, col_, std::move(v))) Fail_Full();
    }

    [[noreturn]] void Fail_Full() const {
        Fail(out_.Beyond_Sheet() ? Workbook_Failure::Beyond_Sheet : Workbook_Failure::Too_Many_Cells);
    }

    Sheet_Cells& out_;
    const std::size_t first_string_, strings_;
    const std::vector<bool>& date_xfs_;
    const double date_shift_;

    std::uint32_t row_ = 0, col_ = 0, cell_row_ = 0;
    bool in_data_ = false, in_cell_ = false, in_value_ = false, in_inline_ = false, in_text_ = false;
    bool has_value_ = false, has_inline_ = false;
    int phonetic_ = 0;
    Kind kind_ = Kind::Number;
    std::uint64_t xf_ = 0;
    std::string value_, inline_;
};

void Read_Xlsx_Package(const Package& pkg, Sheet_Cells& out) {
    const std::string workbook_part = Workbook_Part(pkg);
    Part part;
    if (!pkg.Read(workbook_part, part)) Fail(Workbook_Failure::First_Sheet_Damaged);
    Workbook_Handler wb;
    Parse_Xml(part, wb);

    const std::vector<Relationship> rels = Read_Rels(pkg, workbook_part);
    // The first worksheet in tab order: chart sheets and the like hold no cells.
    const Relationship* sheet = nullptr;
    bool other_sheets = false;
    for (const std::string& id : wb.sheet_ids) {
        for (const Relationship& r : rels) {
            if (r.id != id) continue;
            if (Is_Type(r.type, "worksheet"))
                sheet = &r;
            else
                other_sheets = true;
            break;
        }
        if (sheet) break;
    }
    if (!sheet)
        Fail(other_sheets || wb.sheet_ids.empty() ? Workbook_Failure::No_Worksheet
                                                  : Workbook_Failure::First_Sheet_Damaged);

    std::vector<bool> date_xfs;
    if (const Relationship* r = Find_Rel_By_Type(rels, "styles"); r && pkg.Read(r->target, part)) {
        Styles_Handler h;
        Parse_Xml(part, h);
        date_xfs = h.Date_Formats();
    }
    part = Part{};
    // The shared strings and the sheet, the largest parts, are read a piece at a time.
    Shared_Strings_Handler strings(out);
    if (const Relationship* r = Find_Rel_By_Type(rels, "sharedStrings")) {
        Part_Stream stream;
        stream.Release_Read_Input(&out);
        if (pkg.Open(r->target, stream)) Parse_Xml_In_Pieces(stream, "si", strings);
    }

    Part_Stream stream;
    stream.Release_Read_Input(&out);
    if (!pkg.Open(sheet->target, stream)) Fail(Workbook_Failure::First_Sheet_Damaged);
    Sheet_Handler h(out, strings.First(), strings.Count(), date_xfs, wb.date1904);
    Parse_Xml_In_Pieces(stream, "row", h);
}

}  // namespace

Workbook_Failure Read_Xlsx(QByteArrayView data, Sheet_Cells& out) { return Run_Reader(data, out, Read_Xlsx_Package); }

bool Is_Xlsx_Package(QByteArrayView data) {
    try {
        const Package pkg(data);
        const std::string workbook_part = Workbook_Part(pkg);
        Part part;
        if (workbook_part.empty() || !pkg.Read(workbook_part, part)) return false;
        Root_Element_Handler h;
        Parse_Xml(part, h);
        return h.root == "workbook";
    } catch (...) {
        return false;
    }
}
