#include "output/Field_Chooser.h"

#include "search/Name_Selection.h"

#include <gtest/gtest.h>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace {

struct Choose_Test : ::testing::Test {
    Name_Selection f;
    Field_Chooser c;
    void SetUp() override {
        f.Name = "Columns";
        for (const char* n : {"Year", "area 2", "Area 1", "Reco Text", "Project name"}) f.Available.add(n);
        f.SelectItem("Year");
        c.Names = &f;
        c.Load();
    }
    void Highlight(QListWidget* list, const QStringList& names) {
        list->clearSelection();
        for (int i = 0; i < list->count(); ++i)
            if (names.contains(list->item(i)->text())) list->item(i)->setSelected(true);
    }
    static QStringList Highlighted(const QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected()) out << list->item(i)->text();
        return out;
    }
    // The buttons a click would do something with.
    static QString Enabled(const Field_Chooser& d) {
        QStringList on;
        const std::pair<const char*, QWidget*> buttons[] = {{"Select", d.Select},
                                                            {"Select_All", d.Select_All},
                                                            {"Unselect", d.Unselect},
                                                            {"Unselect_All", d.Unselect_All},
                                                            {"Ok", d.Ok}};
        for (const auto& [name, b] : buttons)
            if (b->isEnabled()) on << name;
        return on.join(' ');
    }
};

TEST_F(Choose_Test, Opens_With_The_Field_Sorted_And_Ok_Only_When_The_Selection_Changed) {
    EXPECT_EQ(Field_Chooser::Entries(c.Available), QStringList({"Area 1", "area 2", "Project name", "Reco Text"}));
    EXPECT_EQ(Field_Chooser::Entries(c.Selected), QStringList({"Year"}));
    EXPECT_EQ(Enabled(c), "Select_All Unselect_All");
    Highlight(c.Available, {"Reco Text", "Area 1"});
    c.Select_Highlighted();
    // Moved names stay highlighted in their place.
    EXPECT_EQ(Field_Chooser::Entries(c.Selected), QStringList({"Area 1", "Reco Text", "Year"}));
    EXPECT_EQ(Highlighted(c.Selected), QStringList({"Area 1", "Reco Text"}));
    EXPECT_EQ(Field_Chooser::Entries(c.Available), QStringList({"area 2", "Project name"}));
    EXPECT_EQ(Enabled(c), "Select_All Unselect Unselect_All Ok");
    c.Unselect_Highlighted();  // back as it opened, the two highlighted in Available
    EXPECT_EQ(Enabled(c), "Select Select_All Unselect_All");
    EXPECT_EQ(Highlighted(c.Available), QStringList({"Area 1", "Reco Text"}));
    c.Unselect_Every_Name();
    EXPECT_EQ(Enabled(c), "Select Select_All Ok");

    // Opened with nothing selected: Ok as soon as something is.
    Name_Selection empty;
    empty.Available.add("x");
    Field_Chooser d;
    d.Names = &empty;
    d.Load();
    EXPECT_FALSE(d.Ok->isEnabled());
    d.Select_Every_Name();
    EXPECT_TRUE(d.Ok->isEnabled());
}

}  // namespace
