#include "Search_Window.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QToolTip>

TEST_F(Search_Window_Test, OpensWithTheInitialQueryAndItsCount) {
    Search& s = Open();
    EXPECT_EQ(s.windowTitle(), "Sifa_Soft");
    EXPECT_EQ(session.Language(), "EN");
    // "Year" Not "Empty"; the other rows off and empty, under one another.
    EXPECT_TRUE(s.Rows->Critere_Actif[0]->isChecked() && s.Rows->Negation[0]->isChecked() &&
                s.Rows->txtFields[0]->isHidden());
    EXPECT_EQ(QStringList({s.Rows->Field[0]->currentText(), s.Rows->Oper[0]->currentText()}),
              (QStringList{"Year", "Empty"}));
    for (int i = 1; i < Search::Nb_Rows; ++i) {
        EXPECT_FALSE(s.Rows->Critere_Actif[i]->isChecked() || s.Rows->Field[i]->isEnabled());
        EXPECT_EQ(s.Rows->Field[i]->currentIndex(), -1);
    }
    EXPECT_TRUE(s.Critere_Oper_Or->isChecked());
    for (const QPushButton* b : s.Rows->Find_Ref) EXPECT_TRUE(b->isHidden());

    int with_year = 0;
    for (int r = 1; r <= session.Records().Row_Upper(); ++r)
        with_year += session.Records()(r, Field_Number("Year")).isEmpty() ? 0 : 1;
    ASSERT_GT(with_year, 1);
    EXPECT_EQ(Count_Line(s), QString::number(with_year) + " Records found");
    EXPECT_EQ(s.Results.Model.Records(), with_year);
    EXPECT_TRUE(Button(s, "cmdExport")->isEnabled() && Button(s, "cmdPrint")->isEnabled());

    // The display options side by side in their frame.
    const QRect a = s.CellAutoSize->geometry(), b = s.AdvancedSort->geometry(), c = s.Choosen_Language->geometry();
    EXPECT_LE(a.right(), b.left());
    EXPECT_LE(b.right(), c.left());
    EXPECT_LE(c.right(), s.Frame1->width());
    // Every button, option and check box answers to a letter of its own.
    QSet<int> letters;
    for (const QAbstractButton* b : s.findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty() || b->text() == "?") continue;
        const QKeySequence key = QKeySequence::mnemonic(b->text());
        ASSERT_FALSE(key.isEmpty()) << b->text().toStdString();
        EXPECT_FALSE(letters.contains(key[0].key())) << b->text().toStdString();
        letters.insert(key[0].key());
    }
    // Tab goes down the rows, then the options, the result and the buttons in this order.
    QStringList tab_order;
    for (QWidget* w = s.nextInFocusChain(); w != &s; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty()) tab_order << w->objectName();
    EXPECT_EQ(tab_order.mid(tab_order.indexOf("Submit")),
              (QStringList{"Submit", "CellAutoSize", "AdvancedSort", "Choosen_Language", "Data", "cmdExport",
                           "cmdPrint", "cmdCounts", "cmdClose", "CmdHelp"}));
    EXPECT_EQ(tab_order.mid(0, 6),
              (QStringList{"Critere_Actif_0", "Field_0", "Negation_0", "Oper_0", "txtFields_0", "ListFields_0"}));
    // Headings whole, apart.
    EXPECT_GE(s.Rows->Lbl_Actif->width(), s.Rows->Lbl_Actif->sizeHint().width());
    EXPECT_LT(s.Rows->Lbl_Actif->geometry().right(), s.Rows->Lbl_Field->x());
}

// A 1366x768 screen at a scale factor of 2 gives the window 683 x 384 pixels less its frame: every control
// fits across uncut and the grid still shows rows; with room the window keeps its drawn proportions.
TEST_F(Search_Window_Test, FitsASmallScreenAndKeepsItsProportionsWithRoom) {
    Search& s = Open(true);
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
        if ((b && b->text() != "?") || w == s.Choosen_Language)
            EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->objectName().toStdString();
    }
    EXPECT_TRUE(s.Rows->lblDescription[1]->isVisible());
    EXPECT_GE(s.Data->rowAt(s.Data->viewport()->height() - 1), 7);
}

TEST_F(Search_Window_Test, OperatorDecidesHowTheValueIsEntered) {
    Search& s = Open(true);
    Champ* em = session.Description().Get_Champs().Item("EM");
    Criterion("MS of coordinator", "Equal");
    EXPECT_TRUE(s.Rows->txtFields[1]->isVisible());
    EXPECT_TRUE(s.Rows->lblDescription[1]->isVisible());
    EXPECT_FALSE(s.Rows->ListFields[1]->isVisible());
    EXPECT_GE(s.Rows->txtFields[1]->maxLength(), em->Longueur_Czi());  // room to type a name
    // Never narrower than its longest value in its font; the description beside it.
    const QFontMetrics fm(s.Rows->txtFields[1]->font());
    EXPECT_GT(s.Rows->txtFields[1]->width(), fm.horizontalAdvance(QString(em->Longueur_Czi(), 'W')) + 6);
    EXPECT_GT(s.Rows->lblDescription[1]->x(), s.Rows->txtFields[1]->geometry().right());
    // The label follows the typing.
    s.Rows->txtFields[1]->setText("D");
    EXPECT_EQ(s.Rows->lblDescription[1]->text(), To_Text(em->Get_Data("D")));
    s.Rows->txtFields[1]->setText("DE");
    EXPECT_EQ(s.Rows->lblDescription[1]->text(), "Germany");

    Choose(s.Rows->Oper[1], "Empty");
    EXPECT_FALSE(s.Rows->txtFields[1]->isVisible());
    EXPECT_FALSE(s.Rows->lblDescription[1]->isVisible());

    // A field whose new operator list lacks the old operator loses it, with its value box.
    Criterion("Year", "Content");
    Choose(s.Rows->Field[1], "MS of coordinator");
    EXPECT_EQ(s.Rows->Oper[1]->currentIndex(), -1);
    EXPECT_FALSE(s.Rows->txtFields[1]->isVisible());
    Choose(s.Rows->Oper[1], "Equal");
    Choose(s.Rows->Field[1], "Year");
    EXPECT_EQ(s.Rows->Oper[1]->currentText(), "Equal");

    // "[Any fields]": a box for the longest field, kept inside the window.
    Criterion("[Any fields]", "Content");
    EXPECT_EQ(s.Rows->txtFields[1]->maxLength(), 255);
    EXPECT_LE(s.Rows->txtFields[1]->geometry().right(), s.Data->geometry().right());
}

TEST_F(Search_Window_Test, RefusedValueKeepsTheFocusButThePickerIsReachable) {
    Search& s = Open(true);
    QApplication::setActiveWindow(&s);
    s.activateWindow();
    QApplication::processEvents();
    // "?" stands beside the value box of a coded row, whatever has the focus, and of no other row.
    Criterion("MS of coordinator", "Equal");
    s.Submit->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(s.Rows->Find_Ref[1]->isVisible() && s.Rows->Find_Ref[1]->isEnabled());
    EXPECT_GT(s.Rows->Find_Ref[1]->x(), s.Rows->txtFields[1]->geometry().right());
    EXPECT_LT(s.Rows->Find_Ref[1]->geometry().right(), s.Rows->lblDescription[1]->x());
    EXPECT_FALSE(s.Rows->Find_Ref[0]->isVisible() || s.Rows->Find_Ref[2]->isVisible());
    s.Rows->Critere_Actif[1]->setChecked(false);
    EXPECT_FALSE(s.Rows->Find_Ref[1]->isEnabled());
    s.Rows->Critere_Actif[1]->setChecked(true);
    s.Rows->txtFields[1]->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), s.Rows->txtFields[1]);

    Scoped_Recorder rec;
    s.Rows->txtFields[1]->setText("G");
    // The picker button takes the focus without the check.
    s.Rows->Find_Ref[1]->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(rec->shown.empty());
    EXPECT_EQ(s.Rows->Last_Value_Box, s.Rows->txtFields[1]);

    s.Rows->txtFields[1]->setFocus();
    s.Submit->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(rec->texts(), QStringList{"Unkownn code"});
    EXPECT_EQ(rec->shown[0].buttons, Msg_Buttons::OK);
    EXPECT_EQ(rec->shown[0].caption, App_Title());
    EXPECT_EQ(QApplication::focusWidget(), s.Rows->txtFields[1]);
    EXPECT_EQ(s.Rows->txtFields[1]->text(), "G");

    // Emptied, it lets the focus go.
    s.Rows->txtFields[1]->clear();
    s.Rows->Field[1]->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), s.Rows->Field[1]);
    // A value the operator hides is not checked, and needs no picker.
    s.Rows->txtFields[1]->setText("G");
    Choose(s.Rows->Oper[1], "Empty");
    EXPECT_FALSE(s.Rows->Find_Ref[1]->isVisible());
    bool cancel = false;
    s.Rows->txtFields_Validate(1, cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(rec->shown.size(), 1u);
    Choose(s.Rows->Field[1], "Year");
    Choose(s.Rows->Oper[1], "Equal");
    EXPECT_FALSE(s.Rows->Find_Ref[1]->isVisible());
}

// A code in any letter case, or its name, is written back as the table spells the code; a name is
// found through the list the box offers, "DE  Germany", which writes the code.
TEST_F(Search_Window_Test, CodedValueBoxTakesAnyCaseAndOffersCodesByName) {
    Search& s = Open(true);
    QApplication::setActiveWindow(&s);
    Scoped_Recorder rec;
    Criterion("MS of coordinator", "Equal");
    QLineEdit* box = s.Rows->txtFields[1];
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
    EXPECT_EQ(s.Rows->lblDescription[1]->text(), "Germany");
    EXPECT_EQ(leave("germany"), "DE");
    EXPECT_EQ(leave("*LAND"), "*LAND");  // a pattern that fits names stays as typed
    EXPECT_TRUE(rec->shown.empty());
    EXPECT_EQ(leave("xx"), "xx");
    EXPECT_EQ(rec->texts(), QStringList{"Unkownn code"});

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
    Choose(s.Rows->Field[1], "Year");
    EXPECT_EQ(box->completer(), nullptr);
}

TEST_F(Search_Window_Test, LanguageSwitchRelabelsAndSearchesAgain) {
    Search& s = Open();
    Criterion("MS of coordinator", "Equal", "DE");
    const QString count = Count_Line(s);

    s.Choosen_Language->setCurrentIndex(s.Choosen_Language->findText("FR"));
    EXPECT_EQ(session.Language(), "FR");
    const QStringList shown{s.Rows->Field[0]->currentText(), s.Rows->Oper[0]->currentText(),
                            s.Rows->Field[1]->currentText(), s.Rows->Oper[1]->currentText(),
                            s.Rows->lblDescription[1]->text()};
    EXPECT_EQ(shown, (QStringList{"Année", "Vide", "EM du porteur", "Egal", "Allemagne"}));
    EXPECT_EQ(Count_Line(s), count);
    // The grid was rebuilt in French: the English text column is gone.
    EXPECT_EQ(s.Results.Model.Heading(Result_Column(s.Results, "Year")), "Année");
    EXPECT_EQ(Grid_Column(s.Results, "RecoEN"), -1);
}

TEST_F(Search_Window_Test, MultiColumnModeOpensTheSortDialogAndKeepsItsKeysAcrossSearches) {
    Search& s = Open(true);
    const Result_Model& m = s.Results.Model;
    // Sort keys count columns from 1, the model from 0.
    const int year = Grid_Column(s.Results, "Year"), name = Grid_Column(s.Results, "ProjName");
    // The order of a header click stays in effect as the first key.
    s.Header_Click(year - 1);
    s.AdvancedSort->click();
    ASSERT_TRUE(s.AdvancedSort->isChecked());
    EXPECT_EQ(session.Sort_Keys, (Sort_Keys_T{year, 0, 0, 0}));
    EXPECT_EQ(m.Arrow(year - 1), Sort_Arrow::Ascending);

    // A header click opens the dialog with that column as the next key.
    Sort_Keys_T shown{};
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<frmTrier*>(QApplication::activeModalWidget())) {
            shown = Sort_Keys_From_Choices(d->Choices());
            d->OptTri[1]->setChecked(true);  // the year descending
            d->cmdOk->click();
            d->reject();
        }
    });
    s.Header_Click(name - 1);
    EXPECT_EQ(shown, (Sort_Keys_T{year, name, 0, 0}));
    EXPECT_EQ(session.Sort_Keys, (Sort_Keys_T{-year, name, 0, 0}));
    EXPECT_EQ(s.Results.Sort.Sort_State[Field_Number("Year")], 0);

    s.Submit_Click();
    EXPECT_GT(m.Text(0, year - 1).toInt(), m.Text(m.Records() - 1, year - 1).toInt());
    // The headers number the keys.
    EXPECT_EQ(std::pair(m.Arrow(year - 1), m.Key_Number(year - 1)), std::pair(Sort_Arrow::Descending, 1));
    EXPECT_EQ(std::pair(m.Arrow(name - 1), m.Key_Number(name - 1)), std::pair(Sort_Arrow::Ascending, 2));

    // Leaving the mode drops the keys and their arrows.
    s.AdvancedSort->click();
    EXPECT_EQ(session.Sort_Keys[0], 0);
    EXPECT_EQ(m.Arrow(year - 1), Sort_Arrow::None);
    EXPECT_EQ(m.Key_Number(name - 1), 0);
}

// The mouse is the grid tests' business (Search_Grid_test.cpp).
TEST_F(Search_Window_Test, EnterOrSpaceOnADataRowOpensItsRecord) {
    Search& s = Open(true);
    std::vector<int> opened;
    QObject::connect(&s, &Search::Record_Asked, [&](int record) { opened.push_back(record); });
    s.Data->setFocus();
    QTest::keyClick(s.Data, Qt::Key_Down);
    const int record = s.Results.Model.Record_At(s.Data->Current_Row());
    ASSERT_GT(record, 0);
    QTest::keyClick(s.Data, Qt::Key_Return);
    QTest::keyClick(s.Data, Qt::Key_Space);
    EXPECT_EQ(opened, (std::vector<int>{record, record}));
}

TEST_F(Search_Window_Test, EnterInAValueBoxSearchesOnceTheValueIsAccepted) {
    Search& s = Open(true);
    Scoped_Recorder rec;
    Criterion("MS of coordinator", "Equal", "ZZ");
    s.Rows->Critere_Actif[0]->setChecked(false);
    s.Rows->txtFields[1]->setFocus();
    const QString before = Count_Line(s);
    QTest::keyClick(s.Rows->txtFields[1], Qt::Key_Return);
    ASSERT_EQ(rec->shown.size(), 1u);  // "Unkownn code", and no search
    EXPECT_EQ(Count_Line(s), before);
    s.Rows->txtFields[1]->setText("FR");
    QTest::keyClick(s.Rows->txtFields[1], Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(rec->shown.size(), 1u);
    EXPECT_NE(Count_Line(s), before);
    EXPECT_TRUE(s.Submit->isDefault());
}

TEST_F(Search_Window_Test, NoMatchDisablesOutputAndTipsShowTheCell) {
    Search& s = Open(true);
    QTest::mouseMove(s.Data->viewport(), s.Data->Cell_Rect(0, 3).center());
    const Result_Model& m = s.Results.Model;
    EXPECT_EQ(s.Last_Tip_Cell, "0/3");
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(
        QToolTip::text(),
        Titled_Tip(QStringList({m.Text(0, 0), m.Text(0, 1), m.Text(0, 2), m.Text(0, 7)}).join('/'), m.Text(0, 3)));
    QToolTip::hideText();

    s.Rows->Negation[0]->setChecked(false);
    s.Submit->click();
    EXPECT_EQ(Count_Line(s), "No match");
    EXPECT_FALSE(Button(s, "cmdExport")->isEnabled());
    EXPECT_FALSE(Button(s, "cmdPrint")->isEnabled());
    EXPECT_EQ(m.Records(), 0);
}

namespace {
struct Seen_Backend : Default_App_Backend {
    QStringList* files;
    explicit Seen_Backend(QStringList* f) : files(f) {}
    Command Find_Executable(const QString& file) override {
        *files << QFileInfo(file).fileName();
        return {"viewer", {file}};
    }
    bool Start(const Command&) override { return true; }
};
}  // namespace

TEST_F(Search_Window_Test, HelpOpensTheManualOfTheLanguage) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(SIFA_SAMPLE_DATA "/Refs.dat", dir.filePath("Refs.dat")));
    for (const char* n : {"Sifa_soft_manual_V062_def_En.pdf", "Sifa_soft_manuel_v062_def_Fr.pdf"}) {
        QFile f(dir.filePath(n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    Set_App_Path(dir.path());
    QStringList files;
    auto previous = Install_Default_App_Backend(std::make_unique<Seen_Backend>(&files));
    Scoped_Recorder rec;
    Search& s = Open();
    Button(s, "CmdHelp")->click();
    s.Choosen_Language->setCurrentIndex(1);
    Button(s, "CmdHelp")->click();
    Install_Default_App_Backend(std::move(previous));
    EXPECT_EQ(files, (QStringList{"Sifa_soft_manual_V062_def_En.pdf", "Sifa_soft_manuel_v062_def_Fr.pdf"}));
    EXPECT_TRUE(rec->shown.empty());
}
