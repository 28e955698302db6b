#include "views/Code_Picker.h"
#include "model/Code_Table.h"

#include "Views_Fixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

struct Picker : Sample_Data {
    QLineEdit box;
    Field_Def* country = nullptr;
    std::unique_ptr<Code_Picker> pick;

    void SetUp() override {
        country = session.Description().Fields().Item(QStringLiteral("EM"));
        ASSERT_TRUE(country && country->Codes);
    }
    // As the value entry opens it.
    void Open(const QString& text) {
        box.setText(text);
        pick = std::make_unique<Code_Picker>(session);
        pick->Target_Box = &box;
        pick->Coded_Field = country;
        pick->Load();
        pick->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pick.get()));
    }
    QString Text(int row, int col) const { return pick->Code_List->item(row, col)->text(); }
    int Row_Of(const QString& code) {
        for (int r = 0; r < pick->Code_List->rowCount(); ++r)
            if (Text(r, 0) == code) return r;
        return -1;
    }
    // The rows drawn as chosen.
    QList<int> Chosen_Rows() const {
        QList<int> rows;
        for (const QModelIndex& i : pick->Code_List->selectionModel()->selectedRows()) rows << i.row();
        return rows;
    }
    QPoint Cell_Center(int row, int col) {
        pick->Code_List->scrollTo(pick->Code_List->model()->index(row, col));
        return pick->Code_List->visualRect(pick->Code_List->model()->index(row, col)).center();
    }
};

}  // namespace

TEST_F(Picker, Opens_On_The_Code_Of_The_Box) {
    Open(QStringLiteral("FR"));
    EXPECT_EQ(pick->windowTitle(), "Choose \"MS of coordinator\"");
    EXPECT_EQ(pick->Chosen_Code_Label->text(), "FR");
    EXPECT_EQ(pick->Chosen_Label_Label->text(), "France");
    EXPECT_GT(pick->Code_List->horizontalHeader()->height(), 0);
    EXPECT_EQ(pick->Code_List->rowCount(), country->Codes->Count());
    const int fr = Row_Of(QStringLiteral("FR"));
    ASSERT_GE(fr, 0);
    EXPECT_EQ(Text(fr, 1), "France");
    EXPECT_EQ(Chosen_Rows(), QList<int>{fr});
    EXPECT_TRUE(pick->Code_List->viewport()->rect().contains(
        pick->Code_List->visualRect(pick->Code_List->model()->index(fr, 1))));
}

TEST_F(Picker, Filters_Narrow_The_List_And_Empty_Ones_Show_It_Whole) {
    Open(QString());
    for (const auto& [code, label] : {std::pair{"F", ""}, {"", "ia"}, {"L", "ux"}, {"ZZ", ""}}) {
        SCOPED_TRACE(std::string(code) + "/" + label);
        pick->Code_Filter->clear();
        pick->Label_Filter->clear();
        QTest::keyClicks(pick->Code_Filter, QString::fromLatin1(code));
        QTest::keyClicks(pick->Label_Filter, QString::fromLatin1(label));
        const auto expected = country->Codes_Containing(QString::fromLatin1(code), QString::fromLatin1(label));
        ASSERT_EQ(pick->Code_List->rowCount(), expected->Count());
        EXPECT_LT(expected->Count(), country->Codes->Count());
        int r = 0;
        for (const Code_Entry& ref : *expected) EXPECT_EQ(Text(r++, 0), ref.Code());
    }
    pick->Code_Filter->clear();
    pick->Label_Filter->clear();
    EXPECT_EQ(pick->Code_List->rowCount(), country->Codes->Count());
}

TEST_F(Picker, The_Row_Drawn_As_Chosen_Is_What_Ok_Writes) {
    Open(QStringLiteral("FR"));
    EXPECT_TRUE(pick->Ok->isDefault());
    const auto shown_rows = [&] { return Chosen_Rows().size(); };
    // France filtered out: no row drawn as chosen, the labels still say France.
    QTest::keyClicks(pick->Label_Filter, QStringLiteral("ia"));
    EXPECT_EQ(shown_rows(), 0);
    EXPECT_EQ(pick->Chosen_Code_Label->text(), "FR");
    // Down goes into the list and chooses its first row, drawn and written alike; Enter is Ok.
    QTest::keyClick(pick->Label_Filter, Qt::Key_Down);
    EXPECT_TRUE(pick->Code_List->hasFocus());
    EXPECT_EQ(shown_rows(), 1);
    const QString first = Text(0, 0);
    EXPECT_EQ(pick->Chosen_Code_Label->text(), first);
    QTest::keyClick(pick->Code_List, Qt::Key_Return);
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
        if (c.first_row) pick->Code_List->setCurrentCell(0, 0);
        QTest::keyClicks(pick->Code_Filter, QString::fromLatin1(c.code_filter));
        switch (c.end) {
        case Double_Click_DE:
            QTest::mouseDClick(pick->Code_List->viewport(), Qt::LeftButton, Qt::NoModifier,
                               Cell_Center(Row_Of("DE"), 1));
            break;
        case Ok: QTest::mouseClick(pick->Ok, Qt::LeftButton); break;
        case Cancel: QTest::mouseClick(pick->Cancel, Qt::LeftButton); break;
        case Escape: QTest::keyClick(pick->Code_List, Qt::Key_Escape); break;
        case Close_Box: pick->close(); break;
        }
        EXPECT_EQ(box.text(), c.after);
        EXPECT_EQ(pick->Code_Chosen, c.ok);
        EXPECT_TRUE(!c.ok || pick->Chosen_Code == c.after);
        EXPECT_FALSE(pick->isVisible());
        EXPECT_TRUE(pick->Unloaded());
    }
}
