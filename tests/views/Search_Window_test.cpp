#include "Search_Window_Access.h"

#include <QCompleter>
#include <QToolTip>

TEST_F(Search_Window_Test, OpensWithTheInitialQueryAndItsCount) {
    Search_Window& s = Open();
    // "Year" Not "Empty"; the other rows off and empty, under one another.
    EXPECT_TRUE(s.Rows->Active[0]->isChecked() && s.Rows->Negation[0]->isChecked() &&
                s.Rows->Value_Text[0]->isHidden());
    EXPECT_EQ(QStringList({s.Rows->Field[0]->currentText(), s.Rows->Operator[0]->currentText()}),
              (QStringList{"Year", "Empty"}));
    for (int i = 1; i < Search_Window::Row_Count; ++i) {
        EXPECT_FALSE(s.Rows->Active[i]->isChecked() || s.Rows->Field[i]->isEnabled());
        EXPECT_EQ(s.Rows->Field[i]->currentIndex(), -1);
    }
    EXPECT_TRUE(s.Combine_With_Or->isChecked());
    for (const QPushButton* b : s.Rows->Picker_Button) EXPECT_TRUE(b->isHidden());

    ASSERT_GT(s.Results.Model.Records(), 1);  // which records: Criteria_test.cpp
    EXPECT_EQ(Count_Line(s), QString::number(s.Results.Model.Records()) + " Records found");
    EXPECT_TRUE(Button(s, "Export_Button")->isEnabled() && Button(s, "Print_Button")->isEnabled());

    // Tab goes through the reload bar when it shows, down the rows, the saved searches, then
    // the options, quick find, the result and the buttons in this order.
    QStringList tab_order;
    for (QWidget* w = s.nextInFocusChain(); w != &s; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty()) tab_order << w->objectName();
    EXPECT_EQ(tab_order.mid(tab_order.indexOf("Submit")),
              (QStringList{"Submit", "Clear_Button", "Adjust_Cell_Size_Box", "Multi_Key_Box", "Language_Box",
                           "Quick_Find_Box", "Result_Grid", "Export_Button", "Print_Button", "Counts_Button",
                           "Reload_Button", "Close_Button", "Help_Button"}));
    EXPECT_EQ(tab_order.at(tab_order.indexOf("Submit") - 1), "Ignore_Accents_Box");
    EXPECT_EQ(tab_order.mid(tab_order.indexOf("Save_Search_Button") - 1, 4),
              (QStringList{"Picker_Button_2", "Save_Search_Button", "Open_Search_Button", "Recent_Searches_Button"}));
    EXPECT_EQ(tab_order.mid(0, 8), (QStringList{"Reload_Bar_Button", "Reload_Bar_Close", "Active_0", "Field_0",
                                                "Negation_0", "Operator_0", "Value_Text_0", "Value_List_0"}));
}

// A 1366x768 screen at a scale factor of 2 gives the window 683 x 384 pixels less its frame: every control
// fits across uncut and the grid still shows rows; with room the window keeps its drawn proportions.
TEST_F(Search_Window_Test, FitsASmallScreenAndKeepsItsProportionsWithRoom) {
    Search_Window& s = Open(true);
    Criterion("MS of coordinator", "Equal", "DE");
    const QSize small(683, 370);
    EXPECT_LE(s.minimumSizeHint().width(), small.width());
    s.resize(small);
    QApplication::processEvents();
    ASSERT_EQ(s.size(), small);
    for (const QWidget* w : s.findChildren<QWidget*>()) {
        if (!w->isVisible() || w->isWindow()) continue;
        const QRect r(w->mapTo(&s, QPoint(0, 0)), w->size());
        EXPECT_TRUE(s.rect().contains(r)) << w->objectName().toStdString();
        const auto* b = qobject_cast<const QAbstractButton*>(w);
        if ((b && b->text() != "?") || w == s.Language_Box) {
            EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->objectName().toStdString();
        }
    }
    EXPECT_TRUE(s.Rows->Value_Description_Label[1]->isVisible());
    // The quick find box and the accents line take a line each from the grid on so small a screen.
    EXPECT_GE(s.Result_Grid->rowAt(s.Result_Grid->viewport()->height() - 1), 6);
}

TEST_F(Search_Window_Test, OperatorDecidesHowTheValueIsEntered) {
    Search_Window& s = Open(true);
    Field_Def* em = session.Description().Fields().Item("EM");
    Criterion("MS of coordinator", "Equal");
    EXPECT_TRUE(s.Rows->Value_Text[1]->isVisible());
    EXPECT_TRUE(s.Rows->Value_Description_Label[1]->isVisible());
    EXPECT_FALSE(s.Rows->Value_List[1]->isVisible());
    EXPECT_GE(s.Rows->Value_Text[1]->maxLength(), em->Widest_Code_Length());  // room to type a name
    // Never narrower than its longest value in its font; the description beside it.
    const QFontMetrics fm(s.Rows->Value_Text[1]->font());
    EXPECT_GT(s.Rows->Value_Text[1]->width(), fm.horizontalAdvance(QString(em->Widest_Code_Length(), 'W')) + 6);
    EXPECT_GT(s.Rows->Value_Description_Label[1]->x(), s.Rows->Value_Text[1]->geometry().right());
    // The label follows the typing.
    s.Rows->Value_Text[1]->setText("D");
    EXPECT_EQ(s.Rows->Value_Description_Label[1]->text(), To_Text(em->Label_Of("D")));
    s.Rows->Value_Text[1]->setText("DE");
    EXPECT_EQ(s.Rows->Value_Description_Label[1]->text(), "Germany");

    Field_Chooser(s.Rows->Operator[1], "Empty");
    EXPECT_FALSE(s.Rows->Value_Text[1]->isVisible());
    EXPECT_FALSE(s.Rows->Value_Description_Label[1]->isVisible());

    // A field whose new operator list lacks the old operator loses it, with its value box.
    Criterion("Year", "Content");
    Field_Chooser(s.Rows->Field[1], "MS of coordinator");
    EXPECT_EQ(s.Rows->Operator[1]->currentIndex(), -1);
    EXPECT_FALSE(s.Rows->Value_Text[1]->isVisible());
    Field_Chooser(s.Rows->Operator[1], "Equal");
    Field_Chooser(s.Rows->Field[1], "Year");
    EXPECT_EQ(s.Rows->Operator[1]->currentText(), "Equal");

    // "[Any fields]": a box for the longest field, kept inside the window.
    Criterion("[Any fields]", "Content");
    EXPECT_EQ(s.Rows->Value_Text[1]->maxLength(), 255);
    EXPECT_LE(s.Rows->Value_Text[1]->geometry().right(), s.Result_Grid->geometry().right());
}

TEST_F(Search_Window_Test, RefusedValueKeepsTheFocusButThePickerIsReachable) {
    Search_Window& s = Open(true);
    QApplication::setActiveWindow(&s);
    s.activateWindow();
    QApplication::processEvents();
    // "?" stands beside the value box of a coded row, whatever has the focus, and of no other row.
    Criterion("MS of coordinator", "Equal");
    s.Submit->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(s.Rows->Picker_Button[1]->isVisible() && s.Rows->Picker_Button[1]->isEnabled());
    EXPECT_GT(s.Rows->Picker_Button[1]->x(), s.Rows->Value_Text[1]->geometry().right());
    EXPECT_LT(s.Rows->Picker_Button[1]->geometry().right(), s.Rows->Value_Description_Label[1]->x());
    EXPECT_FALSE(s.Rows->Picker_Button[0]->isVisible() || s.Rows->Picker_Button[2]->isVisible());
    s.Rows->Active[1]->setChecked(false);
    EXPECT_FALSE(s.Rows->Picker_Button[1]->isEnabled());
    s.Rows->Active[1]->setChecked(true);
    s.Rows->Value_Text[1]->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), s.Rows->Value_Text[1]);
    // F4 in the box opens what its button opens.
    QString opened;
    QTimer::singleShot(0, &s, [&opened] {
        if (QWidget* m = QApplication::activeModalWidget()) {
            opened = QString::fromLatin1(m->metaObject()->className());
            m->close();
        }
    });
    QTest::keyClick(s.Rows->Value_Text[1], Qt::Key_F4);
    EXPECT_EQ(opened, "Code_Picker");
    QApplication::setActiveWindow(&s);
    s.Rows->Value_Text[1]->setFocus();
    QApplication::processEvents();

    Scoped_Recorder rec;
    s.Rows->Value_Text[1]->setText("G");
    // The picker button takes the focus without the check.
    s.Rows->Picker_Button[1]->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(rec->shown.empty());
    EXPECT_EQ(s.Rows->Last_Value_Box, s.Rows->Value_Text[1]);

    s.Rows->Value_Text[1]->setFocus();
    s.Submit->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(rec->texts(), QStringList{"Unkownn code"});
    EXPECT_EQ(QApplication::focusWidget(), s.Rows->Value_Text[1]);
    EXPECT_EQ(s.Rows->Value_Text[1]->text(), "G");

    // Emptied, it lets the focus go.
    s.Rows->Value_Text[1]->clear();
    s.Rows->Field[1]->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), s.Rows->Field[1]);
    // A value the operator hides is not checked, and needs no picker.
    s.Rows->Value_Text[1]->setText("G");
    Field_Chooser(s.Rows->Operator[1], "Empty");
    EXPECT_FALSE(s.Rows->Picker_Button[1]->isVisible());
    bool cancel = false;
    s.Rows->Check_Value_On_Leave(1, cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(rec->shown.size(), 1u);
    Field_Chooser(s.Rows->Field[1], "Year");
    Field_Chooser(s.Rows->Operator[1], "Equal");
    EXPECT_FALSE(s.Rows->Picker_Button[1]->isVisible());
}

// A code in any letter case, or its name, is written back as the table spells the code; a name is
// found through the list the box offers, "DE  Germany", which writes the code.
TEST_F(Search_Window_Test, CodedValueBoxTakesAnyCaseAndOffersCodesByName) {
    Search_Window& s = Open(true);
    QApplication::setActiveWindow(&s);
    Scoped_Recorder rec;
    Criterion("MS of coordinator", "Equal");
    QLineEdit* box = s.Rows->Value_Text[1];
    const auto leave = [&](const char* typed) {
        QApplication::setActiveWindow(&s);  // the offscreen platform leaves it inactive after a popup
        box->setFocus();
        box->clear();
        QTest::keyClicks(box, QString::fromUtf8(typed));
        if (box->completer()) box->completer()->popup()->hide();
        s.Submit->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        return box->text();
    };
    EXPECT_EQ(leave("de"), "DE");
    EXPECT_EQ(s.Rows->Value_Description_Label[1]->text(), "Germany");
    EXPECT_EQ(leave("germany"), "DE");
    EXPECT_EQ(leave("*LAND"), "*LAND");  // a pattern that fits names stays as typed
    EXPECT_TRUE(rec->shown.empty());  // a code that is none: RefusedValueKeepsTheFocusButThePickerIsReachable

    QApplication::setActiveWindow(&s);
    box->setFocus();
    box->clear();
    QCompleter* c = box->completer();
    ASSERT_TRUE(c);
    const auto offered = [&](const char* typed) {
        box->clear();
        QTest::keyClicks(box, QString::fromUtf8(typed));
        QStringList out;
        for (int r = 0; r < c->completionModel()->rowCount(); ++r)
            out << c->completionModel()->index(r, 0).data().toString();
        return out;
    };
    EXPECT_EQ(offered("it"), (QStringList{"IT  Italy", "LT  Lithuania", "UK  United Kingdom"}));
    EXPECT_EQ(offered("Germ"), QStringList{"DE  Germany"});
    ASSERT_TRUE(c->popup()->isVisible());
    QTest::keyClick(c->popup(), Qt::Key_Down);
    QTest::keyClick(c->popup(), Qt::Key_Return);
    EXPECT_EQ(box->text(), "DE");
    EXPECT_FALSE(c->popup()->isVisible());
    // Other boxes offer nothing.
    Field_Chooser(s.Rows->Field[1], "Year");
    EXPECT_EQ(box->completer(), nullptr);
}

TEST_F(Search_Window_Test, LanguageSwitchRelabelsAndSearchesAgain) {
    Search_Window& s = Open();
    Criterion("MS of coordinator", "Equal", "DE");
    const QString count = Count_Line(s);

    s.Language_Box->setCurrentIndex(s.Language_Box->findText("FR"));
    EXPECT_EQ(session.Language(), "FR");
    const QStringList shown{s.Rows->Field[0]->currentText(), s.Rows->Operator[0]->currentText(),
                            s.Rows->Field[1]->currentText(), s.Rows->Operator[1]->currentText(),
                            s.Rows->Value_Description_Label[1]->text()};
    EXPECT_EQ(shown, (QStringList{"Année", "Vide", "EM du porteur", "Egal", "Allemagne"}));
    // The same records, counted in French.
    EXPECT_EQ(Count_Line(s), QString(count).replace(" Records found", " fiches trouvées"));
    // The grid was rebuilt in French: the English text column is gone.
    EXPECT_EQ(s.Results.Model.Heading(Result_Column(s.Results, "Year")), "Année");
    EXPECT_EQ(Grid_Column(s.Results, "RecoEN"), -1);
}

TEST_F(Search_Window_Test, MultiColumnModeOpensTheSortDialogAndKeepsItsKeysAcrossSearches) {
    Search_Window& s = Open(true);
    const Result_Model& m = s.Results.Model;
    // Sort keys count columns from 1, the model from 0.
    const int year = Grid_Column(s.Results, "Year"), name = Grid_Column(s.Results, "ProjName");
    // The order of a header click stays in effect as the first key.
    s.Heading_Clicked(year - 1);
    s.Multi_Key_Box->click();
    ASSERT_TRUE(s.Multi_Key_Box->isChecked());
    EXPECT_EQ(session.Sort_Keys, (Sort_Key_Columns{year, 0, 0, 0}));
    EXPECT_EQ(m.Arrow(year - 1), Sort_Arrow::Ascending);

    // A header click opens the dialog with that column as the next key.
    Sort_Key_Columns shown{};
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<Sort_Dialog*>(QApplication::activeModalWidget())) {
            shown = Sort_Keys_From_Choices(d->Choices());
            d->Key_Order[1]->setChecked(true);  // the year descending
            d->Ok_Button->click();
            d->reject();
        }
    });
    s.Heading_Clicked(name - 1);
    EXPECT_EQ(shown, (Sort_Key_Columns{year, name, 0, 0}));
    EXPECT_EQ(session.Sort_Keys, (Sort_Key_Columns{-year, name, 0, 0}));
    EXPECT_EQ(s.Results.Sort.Sort_State[Field_Number("Year")], 0);

    s.Run_Search_Now();
    EXPECT_GT(m.Text(0, year - 1).toInt(), m.Text(m.Records() - 1, year - 1).toInt());
    // The headers number the keys.
    EXPECT_EQ(std::pair(m.Arrow(year - 1), m.Key_Number(year - 1)), std::pair(Sort_Arrow::Descending, 1));
    EXPECT_EQ(std::pair(m.Arrow(name - 1), m.Key_Number(name - 1)), std::pair(Sort_Arrow::Ascending, 2));

    // Leaving the mode drops the keys and their arrows.
    s.Multi_Key_Box->click();
    EXPECT_EQ(session.Sort_Keys[0], 0);
    EXPECT_EQ(m.Arrow(year - 1), Sort_Arrow::None);
    EXPECT_EQ(m.Key_Number(name - 1), 0);
}

TEST_F(Search_Window_Test, EnterInAValueBoxSearchesOnceTheValueIsAccepted) {
    Search_Window& s = Open(true);
    Scoped_Recorder rec;
    Criterion("MS of coordinator", "Equal", "ZZ");
    s.Rows->Active[0]->setChecked(false);
    s.Rows->Value_Text[1]->setFocus();
    const QString before = Count_Line(s);
    QTest::keyClick(s.Rows->Value_Text[1], Qt::Key_Return);
    ASSERT_EQ(rec->shown.size(), 1u);  // "Unkownn code", and no search
    EXPECT_EQ(Count_Line(s), before);
    s.Rows->Value_Text[1]->setText("FR");
    QTest::keyClick(s.Rows->Value_Text[1], Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(rec->shown.size(), 1u);
    EXPECT_NE(Count_Line(s), before);
    EXPECT_TRUE(s.Submit->isDefault());
}

// "Ignore accents" starts off and takes part in the next search.
TEST_F(Search_Window_Test, IgnoreAccentsBoxChangesTheNextSearch) {
    Search_Window& s = Open(true);
    QCheckBox* box = s.Ignore_Accents_Box;
    EXPECT_EQ(box->text().remove('&'), "Ignore accents");
    EXPECT_FALSE(box->isChecked());
    s.Rows->Active[0]->setChecked(false);
    Criterion("[Any fields]", "Content", "helene");  // the sample has coordinators named Hélène
    s.Submit->click();
    EXPECT_EQ(Count_Line(s), "No match");
    box->click();
    EXPECT_EQ(Count_Line(s), "No match");  // the box alone does not search
    s.Submit->click();
    EXPECT_TRUE(Count_Line(s).endsWith(" Records found")) << Count_Line(s).toStdString();
}

// Clear puts the rows back as the window opens them, without checking the value it throws
// away, and leaves the result and the combination until the next search.
TEST_F(Search_Window_Test, ClearPutsTheRowsBackAsTheWindowOpens) {
    Search_Window& s = Open(true);
    QApplication::setActiveWindow(&s);
    s.activateWindow();
    QApplication::processEvents();
    const auto rows = [&s] {
        QStringList out;
        for (int i = 0; i < Search_Window::Row_Count; ++i)
            out << QString("%1 %2 %3 %4 %5 [%6]")
                       .arg(s.Rows->Active[i]->isChecked())
                       .arg(s.Rows->Field[i]->isEnabled())
                       .arg(s.Rows->Field[i]->currentText(), s.Rows->Negation[i]->isChecked() ? "NOT" : "-",
                            s.Rows->Operator[i]->currentText(), s.Rows->Value_Text[i]->text());
        return out;
    };
    const QStringList opened = rows();
    s.Rows->Negation[0]->setChecked(false);
    Field_Chooser(s.Rows->Operator[0], "Equal");
    s.Rows->Value_Text[0]->setText("2001");
    s.Rows->Active[2]->setChecked(true);
    Field_Chooser(s.Rows->Field[2], "Project name");
    s.Combine_With_And->setChecked(true);
    s.Submit->click();
    const QString count = Count_Line(s);
    Criterion("MS of coordinator", "Equal", "ZZ");  // refused when its box is left
    s.Rows->Value_Text[1]->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), s.Rows->Value_Text[1]);

    Scoped_Recorder rec;
    QTest::mouseClick(s.Clear_Button, Qt::LeftButton);
    EXPECT_TRUE(rec->shown.empty());
    EXPECT_EQ(rows(), opened);
    EXPECT_EQ(Count_Line(s), count);
    EXPECT_TRUE(s.Combine_With_And->isChecked());
    s.Submit->click();
    EXPECT_TRUE(rec->shown.empty());
    EXPECT_EQ(s.Read_Criteria().Rows[0].Operator, std::optional<qint32>(Op_Empty));
}

TEST_F(Search_Window_Test, TipsShowTheCell) {
    Search_Window& s = Open(true);
    QTest::mouseMove(s.Result_Grid->viewport(), s.Result_Grid->Cell_Rect(0, 3).center());
    const Result_Model& m = s.Results.Model;
    EXPECT_EQ(s.Last_Tip_Cell, "0/3");
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(
        QToolTip::text(),
        Titled_Tip(QStringList({m.Text(0, 0), m.Text(0, 1), m.Text(0, 2), m.Text(0, 7)}).join('/'), m.Text(0, 3)));
    QToolTip::hideText();
}

// No manual in the program's folder: the message names the file looked for.
TEST_F(Search_Window_Test, HelpOpensTheManualOfTheLanguage) {
    Scoped_Recorder rec;
    Search_Window& s = Open();
    Button(s, "Help_Button")->click();
    s.Language_Box->setCurrentIndex(1);
    Button(s, "Help_Button")->click();
    ASSERT_EQ(rec->shown.size(), 2u);
    EXPECT_TRUE(rec->shown[0].detail.endsWith("Sifa_soft_manual_V062_def_En.pdf"));
    EXPECT_TRUE(rec->shown[1].detail.endsWith("Sifa_soft_manuel_v062_def_Fr.pdf"));
}
