#include "views/Select_Ref.h"
#include "model/Refs.h"
#include "views/Grid_Widget.h"
#include "winsupport/Twips.h"

#include "Views_Fixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

struct Picker : Sample_Data {
    QLineEdit box;
    Champ* country = nullptr;
    std::unique_ptr<Select_Ref> pick;

    void SetUp() override {
        country = Record_Description->Get_Champs().Item(QStringLiteral("EM"));
        ASSERT_TRUE(country && country->Ref_Listes);
    }
    // As the value entry opens it.
    void Open(const QString& text) {
        box.setText(text);
        pick = std::make_unique<Select_Ref>();
        pick->Cur_Control = &box;
        pick->Cur_Champ = country;
        pick->Form_Load();
        pick->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pick.get()));
    }
    int Row_Of(const QString& code) {
        const Text_Grid& g = pick->List_Grid();
        for (int r = 0; r < g.Rows(); ++r)
            if (g.Text_Matrix(r, 0) == code) return r;
        return -1;
    }
    // Row, Row_Sel, Col, Col_Sel: the whole row is chosen.
    std::array<int, 4> Selection() const {
        const Text_Grid& g = pick->List_Grid();
        return {g.Row(), g.Row_Sel(), g.Col(), g.Col_Sel()};
    }
    QPoint Cell_Center(int row, int col) {
        pick->List->scrollTo(pick->List->model()->index(row, col));
        return pick->List->viewport()->mapFrom(pick->List, pick->List->Cell_Rect(row, col).center());
    }
};

}  // namespace

TEST_F(Picker, Opens_On_The_Code_Of_The_Box) {
    Open(QStringLiteral("FR"));
    EXPECT_EQ(pick->windowTitle(), "Choose \"MS of coordinator\"");
    EXPECT_EQ(pick->Code_Selected->text(), "FR");
    EXPECT_EQ(pick->Val_Selected->text(), "France");
    const Text_Grid& g = pick->List_Grid();
    // The list under its headings, the filters saying what they filter.
    EXPECT_EQ(QStringList({g.Text_Matrix(0, 0), g.Text_Matrix(0, 1), pick->Code_Search->placeholderText(),
                           pick->Val_Search->placeholderText()}),
              (QStringList{"Code", "Name", "Code", "Name"}));
    EXPECT_GT(pick->List->horizontalHeader()->height(), 0);
    EXPECT_EQ(g.Rows(), 1 + country->Ref_Listes->Count());
    const int fr = Row_Of(QStringLiteral("FR"));
    ASSERT_GE(fr, 0);
    EXPECT_EQ(g.Text_Matrix(fr, 1), "France");
    EXPECT_EQ(Selection(), (std::array<int, 4>{fr, fr, 0, 1}));
    EXPECT_TRUE(pick->List->Row_Is_Visible(fr));
}

TEST_F(Picker, Filters_Narrow_The_List_And_Empty_Ones_Show_It_Whole) {
    Open(QString());
    struct Case {
        const char* code;
        const char* label;
    };
    for (const Case& c : {Case{"F", ""}, Case{"", "ia"}, Case{"L", "ux"}, Case{"ZZ", ""}}) {
        SCOPED_TRACE(std::string(c.code) + "/" + c.label);
        pick->Code_Search->clear();
        pick->Val_Search->clear();
        QTest::keyClicks(pick->Code_Search, QString::fromLatin1(c.code));
        QTest::keyClicks(pick->Val_Search, QString::fromLatin1(c.label));
        const auto expected = country->Get_List_Filtered(QString::fromLatin1(c.code), QString::fromLatin1(c.label));
        const Text_Grid& g = pick->List_Grid();
        ASSERT_EQ(g.Rows(), 1 + expected->Count());
        EXPECT_LT(expected->Count(), country->Ref_Listes->Count());
        int r = 1;
        for (const Ref& ref : *expected) EXPECT_EQ(g.Text_Matrix(r++, 0), ref.Cle());
    }
    pick->Code_Search->clear();
    pick->Val_Search->clear();
    EXPECT_EQ(pick->List_Grid().Rows(), 1 + country->Ref_Listes->Count());
}

TEST_F(Picker, The_Row_Drawn_As_Chosen_Is_What_Ok_Writes) {
    Open(QStringLiteral("FR"));
    EXPECT_TRUE(pick->Ok->isDefault());
    const auto shown_rows = [&] { return pick->List->selectionModel()->selectedRows().size(); };
    // France filtered out: no row drawn as chosen, the labels still say France.
    QTest::keyClicks(pick->Val_Search, QStringLiteral("ia"));
    EXPECT_EQ(shown_rows(), 0);
    EXPECT_EQ(pick->Code_Selected->text(), "FR");
    // Down goes into the list and chooses its first row, drawn and written alike; Enter is Ok.
    QTest::keyClick(pick->Val_Search, Qt::Key_Down);
    EXPECT_TRUE(pick->List->hasFocus());
    EXPECT_EQ(shown_rows(), 1);
    const QString first = pick->List_Grid().Text_Matrix(1, 0);
    EXPECT_EQ(pick->Code_Selected->text(), first);
    QTest::keyClick(pick->List, Qt::Key_Return);
    EXPECT_EQ(box.text(), first);
    EXPECT_TRUE(pick->Unloaded());
}

TEST_F(Picker, Double_Click_Ok_Cancel_Escape_And_Close_Box) {
    enum End { Double_Click_DE, Ok, Cancel, Escape, Close_Box };
    const struct {
        const char* name;
        const char* start;
        bool first_row;  // chosen before the end
        const char* code_filter;
        End end;
        const char* after;
        bool ok;
    } cases[] = {
        {"double click writes the code and closes", "FR", false, "", Double_Click_DE, "DE", true},
        {"Ok on the code already there", "FR", false, "", Ok, "FR", false},
        {"Ok with an empty box and no row", "", false, "", Ok, "", false},
        {"Cancel after choosing", "FR", true, "", Cancel, "FR", false},
        {"Escape after choosing", "FR", true, "", Escape, "FR", false},
        {"close box after choosing", "FR", true, "", Close_Box, "FR", false},
        {"Ok after a filter that leaves nothing", "FR", true, "QQ", Ok, "AT", true},  // AT: the first row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Open(QString::fromLatin1(c.start));
        if (c.first_row) pick->List_Grid().Set_Row(1);
        QTest::keyClicks(pick->Code_Search, QString::fromLatin1(c.code_filter));
        switch (c.end) {
        case Double_Click_DE:
            QTest::mouseDClick(pick->List->viewport(), Qt::LeftButton, Qt::NoModifier, Cell_Center(Row_Of("DE"), 1));
            break;
        case Ok: QTest::mouseClick(pick->Ok, Qt::LeftButton); break;
        case Cancel: QTest::mouseClick(pick->Cancel, Qt::LeftButton); break;
        case Escape: QTest::keyClick(pick->List, Qt::Key_Escape); break;
        case Close_Box: pick->close(); break;
        }
        EXPECT_EQ(box.text(), c.after);
        EXPECT_EQ(pick->c_est_ok, c.ok);
        EXPECT_TRUE(!c.ok || pick->valeur_de_retour == c.after);
        EXPECT_FALSE(pick->isVisible());
        EXPECT_TRUE(pick->Unloaded());
    }
}
