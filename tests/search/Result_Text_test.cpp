#include "Search_Fixture.h"
#include "Test_Files.h"

#include "search/Field_Sets.h"
#include "search/Result_Text.h"

namespace {

// Export columns by field name.
std::vector<bool> Columns(const Search_Results& s, std::initializer_list<const char*> names) {
    std::vector<bool> out(s.Model.Columns() + 1, false);
    for (const char* n : names) out[Grid_Column(s, n)] = true;
    return out;
}

struct Result_Text : Search_Test {
    Search_Results s{session};
    void SetUp() override {
        Search_Test::SetUp();
        Search_All(s, "EN");
        Sort_By_Heading(s.Model, s.Sort, Value::Long(1));  // by year
    }
};

}  // namespace

TEST_F(Result_Text, Quoting_And_Formats) {
    const auto cols = Columns(s, {"Year", "ProjName", "EM"});
    const struct {
        const char* name;
        bool table, labels, force;
        const char* sep;
        const char* text;
    } cases[] = {
        {"file table with labels", true, true, true, ";",
         "\"Year\";\"Project name\";\"MS of coordinator\"\r\n"
         "1999;\"Open \"\"City\"\"\";\"France\"\r\n"
         "2004;\"Réseau; ville\";\"Germany\"\r\n"
         "2010;\"Plain\";\"Belgium\"\r\n"},
        {"clipboard table without labels", true, false, false, "\t",
         "1999\t\"Open \"\"City\"\"\"\tFrance\r\n"
         "2004\t\"Réseau; ville\"\tGermany\r\n"
         "2010\tPlain\tBelgium\r\n"},
        {"list with labels", false, true, false, "\t",
         "Year\t1999\r\nProject name\t\"Open \"\"City\"\"\"\r\nMS of coordinator\tFrance\r\n\r\n"
         "Year\t2004\r\nProject name\t\"Réseau; ville\"\r\nMS of coordinator\tGermany\r\n\r\n"
         "Year\t2010\r\nProject name\tPlain\r\nMS of coordinator\tBelgium\r\n\r\n"},
        {"list without labels", false, false, true, ";",
         "1999\r\n\"Open \"\"City\"\"\"\r\n\"France\"\r\n\r\n"
         "2004\r\n\"Réseau; ville\"\r\n\"Germany\"\r\n\r\n"
         "2010\r\n\"Plain\"\r\n\"Belgium\"\r\n\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Get_Text_Selection(s, c.table, c.labels, cols, c.force, QString::fromLatin1(c.sep)),
                  QString::fromUtf8(c.text))
            << c.name;
}

TEST_F(Result_Text, File_Is_Windows_1252_Unless_It_Cannot_Be) {
    QTemporaryDir dir;
    const QString file = dir.filePath("out.csv");
    const auto cols = Columns(s, {"Year", "PortName"});
    EXPECT_EQ(File_Button(file, s, true, false, cols), "");
    EXPECT_EQ(Read_Bytes(file), QByteArray("1999;\"Dupont\"\r\n2004;\"M\xfcller\"\r\n2010;\"\"\r\n\r\n"));

    session.Records()(s.Model.Record_At(0), Field_Number("PortName")) = Value::String(QStringLiteral("Ελλάδα"));
    EXPECT_EQ(File_Button(file, s, true, false, cols), "");
    EXPECT_TRUE(
        Read_Bytes(file).startsWith("\xEF\xBB\xBF"
                                    "1999;\"Ελλάδα\"\r\n"));

    const QString missing = dir.filePath("missing/out.csv");
    EXPECT_EQ(File_Button(missing, s, true, false, cols),
              "The file \"" + QDir::toNativeSeparators(missing) + "\" could not be written: the folder does not exist");
    EXPECT_FALSE(QFile::exists(missing));
#if !defined(Q_OS_WIN)
    // A link the user chose is followed: its target gets the text, the link stays.
    ASSERT_TRUE(QFile::link(file, dir.filePath("link.csv")));
    EXPECT_EQ(File_Button(dir.filePath("link.csv"), s, true, true, cols), "");
    EXPECT_TRUE(Read_Bytes(file).contains("\"Year\""));
    EXPECT_TRUE(QFileInfo(dir.filePath("link.csv")).isSymLink());
#endif
}

TEST_F(Result_Text, Field_Sets_Follow_The_Language) {
    const struct {
        const char* lang;
        const char* range;
        std::vector<bool> set;  // by grid column 0..16
    } cases[] = {
        {"EN", "1-4,8,10-17", {0, 1, 1, 1, 1, 0, 0, 0, 1, 0, 1, 1, 1, 1, 1, 1, 1}},
        {"FR", "1-4,8,10-17", {0, 1, 1, 1, 1, 0, 0, 0, 1, 0, 1, 1, 1, 1, 1, 1, 1}},
        {"EN", "13", std::vector<bool>(17, false)},  // the French text is no column in English
        {"EN", "0", std::vector<bool>(17, false)},
        {"EN", "14, 7-7, x, 99", {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Field_Set_From_Range(session.Description(), c.range, c.lang), c.set) << c.lang << " " << c.range;
    // Merged, never expanded, a range list names what the list of its fields' numbers names.
    for (const char* list : {"15e-1", "1-3-5", " 10 - 12 , 007 ", "5-3,2", "1-10001,3", "0-2", "-3,4", "x-3,5",
                             "2147483647-2147483648,6", "1e1,16-99999"}) {
        std::vector<int> field;
        const std::vector<bool> set = Field_Set_From_Range(session.Description(), list, "EN", &field);
        QStringList named;
        for (size_t i = 1; i < set.size(); ++i)
            if (set[i]) named << QString::number(field[i]);
        EXPECT_EQ(Field_Set_From_Range(session.Description(), named.join(','), "EN"), set) << list;
    }
    const Field_Sets sets = Init_Field_Sets(session.Description(), "FR");
    EXPECT_EQ(sets.Column_Field[13], 13);  // RecoFr is the 13th column in French
    EXPECT_EQ(sets.Column_Field[14], 15);
}

namespace {
// Takes the first `room` bytes written to it, then refuses.
class Small_Device : public QIODevice {
public:
    explicit Small_Device(qint64 room) : room_(room) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    qint64 writes = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        ++writes;
        if (size > room_) return -1;
        room_ -= size;
        return size;
    }

private:
    qint64 room_;
};
}  // namespace

TEST_F(Result_Text, Export_Is_Written_A_Piece_At_A_Time) {
    const auto cols = Columns(s, {"Year", "PortName"});
    // A long text in every row: the file is handed over in pieces as it is made.
    for (int r = 0; r < s.Model.Records(); ++r)
        session.Records()(s.Model.Record_At(r), Field_Number("PortName")) =
            Value::String(QString(40000, QLatin1Char('x')));
    Small_Device roomy(1 << 20);
    EXPECT_TRUE(Write_Export_File(roomy, s, true, false, cols));
    EXPECT_GE(roomy.writes, 2);
    Small_Device full(10);
    EXPECT_FALSE(Write_Export_File(full, s, true, false, cols));
}
