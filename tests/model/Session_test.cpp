#include "model/Session.h"

#include "Test_Files.h"

#include <gtest/gtest.h>

// Code_Table.dat is read once: a language switch later, even with the file gone, answers with
// that language's table, and the longest code follows the table in use.
TEST(Session, Language_Switches_Use_The_Tables_Read_At_Start) {
    QTemporaryDir dir;
    const QString refs = dir.filePath("Refs.dat");
    Write_Cp1252(refs,
                 "[Country]\r\nDE=Germany\r\n[Country (FR)]\r\nDE=Allemagne\r\n"
                 "[DomReco]\r\nH=Health\r\n[DomReco (FR)]\r\nH=Santé\r\nLONG=Long\r\n");
    Session session;
    session.Load_Code_Tables(refs);
    ASSERT_TRUE(QFile::remove(refs));
    Field_Def* em = session.Description().Fields().Item("EM");
    Field_Def* area = session.Description().Fields().Item("DomReco2");
    const struct {
        const char* lang;
        const char* country;
        const char* area;
        int widest;
    } cases[] = {{"", "Germany", "Health", 1}, {"FR", "Allemagne", "Santé", 4}, {"EN", "Germany", "Health", 1}};
    for (const auto& c : cases) {
        session.Set_Language(QString::fromLatin1(c.lang));
        EXPECT_EQ(To_Text(em->Get_Data("DE")), QString::fromUtf8(c.country)) << c.lang;
        EXPECT_EQ(To_Text(area->Get_Data("H")), QString::fromUtf8(c.area)) << c.lang;
        EXPECT_EQ(area->Widest_Code_Length(), c.widest) << c.lang;
    }
}
