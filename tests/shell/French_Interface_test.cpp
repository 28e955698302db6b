// Every window open at once, switched to French by the language box: no English caption
// left but names and words both languages share, nothing cut, and back in English every
// text exactly as it was.
#include "output/Counts_Window.h"
#include "output/Export.h"
#include "output/Field_Chooser.h"
#include "shell/Error_Window.h"
#include "shell/Start_Up.h"
#include "shell/Welcome.h"
#include "views/Code_Picker.h"
#include "views/Criteria_Rows.h"
#include "views/Record_Window.h"
#include "views/Result_View.h"
#include "views/Search_Window.h"
#include "views/Sort_Dialog.h"
#include "winsupport/Interface_Language.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include "Layout_Check.h"
#include "views/Views_Fixture.h"

#include <QAccessible>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>
#include <map>

namespace {

// Names, and words French writes as English does; the French paragraphs of the welcome
// window, which it shows in both languages.
const QStringList Same_In_Both =
    QStringLiteral(
        "OK|Code|Codes|Destination|Format|EN|FR|?|Sifa_Soft|Sifa_Soft 0.6.2|Sifa_Soft v0.6.2|Manuel utilisateur|"
        "Synthèse|Rapport Final|Sifa_Soft lit|Les recommandations proviennent")
        .split(u'|');

bool Same_In_Both_Languages(const QString& text) {
    const QString plain = Plain_Caption(text).trimmed();
    // Figures, codes, the data folder.
    if (!plain.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2}"))) || plain.startsWith('/')) return true;
    for (const QString& s : Same_In_Both)
        if (plain == s || (s.size() > 12 && plain.startsWith(s))) return true;
    return false;
}

// Every text a window shows of its own: title, captions, tips, place holders, headings
// of its tables. Keyed by widget and kind.
using Texts = std::map<std::pair<const QObject*, int>, QString>;
Texts Shown_Texts(QWidget* window) {
    Texts t;
    t[{window, 0}] = window->windowTitle();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->window() != window) continue;
        t[{w, 1}] = Caption_Of(w);
        t[{w, 2}] = w->toolTip();
        if (auto* e = qobject_cast<QLineEdit*>(w)) t[{w, 3}] = e->placeholderText();
        t[{w, 4}] = w->accessibleName();
        if (auto* table = qobject_cast<QTableWidget*>(w))
            for (int c = 0; c < table->columnCount(); ++c)
                if (table->horizontalHeaderItem(c)) t[{w, 10 + c}] = table->horizontalHeaderItem(c)->text();
    }
    return t;
}

// The controls a screen reader would reach without a name to say.
QStringList Unnamed_Controls(QWidget* window) {
    QStringList unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window || !(w->focusPolicy() & Qt::TabFocus)) continue;
        const QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty()) unnamed << w->objectName();
    }
    return unnamed;
}

// Each button's Alt and letter, no letter twice in a window (labels' and frames' letters
// included); a button without a letter names keys of its own at the end of its tip:
// "(F4)", its shortcut when it has one.
QStringList Keyboard_Gaps(QWidget* window) {
    QStringList gaps;
    QMap<QKeySequence, QString> letters;
    static const QRegularExpression keys_at_end(QStringLiteral("\\(([^()]+)\\)$"));
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window) continue;
        const auto* label = qobject_cast<QLabel*>(w);
        const auto* button = qobject_cast<QAbstractButton*>(w);
        const auto* frame = qobject_cast<QGroupBox*>(w);
        if (!button && !(label && label->buddy()) && !(frame && frame->isCheckable())) continue;
        const QString caption = Caption_Of(w);
        if (const QKeySequence letter = QKeySequence::mnemonic(caption); !letter.isEmpty()) {
            if (w->isVisibleTo(window) && letters.contains(letter))
                gaps << QStringLiteral("%1 twice: %2, %3").arg(letter.toString(), letters[letter], caption);
            if (w->isVisibleTo(window)) letters[letter] = caption;
            continue;
        }
        // A hidden button nobody named is a placeholder (an exclusive group's "none").
        if (!button || !(button->focusPolicy() & Qt::TabFocus) ||
            (!w->isVisibleTo(window) && w->accessibleName().isEmpty()))
            continue;
        const QRegularExpressionMatch m = keys_at_end.match(button->toolTip());
        const QKeySequence keys = QKeySequence::fromString(m.captured(1), QKeySequence::NativeText);
        if (keys.isEmpty() || (!button->shortcut().isEmpty() && keys != button->shortcut()))
            gaps << QStringLiteral("no keys: %1 \"%2\" \"%3\"").arg(w->objectName(), caption, button->toolTip());
    }
    return gaps;
}

struct French_Interface : Sample_Data {
    Scoped_Recorder messages;
    void SetUp() override { Set_App_Title(QStringLiteral("Sifa_Soft")); }
};

}  // namespace

TEST_F(French_Interface, EveryWindowSwitchesAndComesBack) {
    Search_Window search(session);
    Connect_Search_Window(&search);
    search.show();
    Welcome welcome(session), documents(session);
    for (Welcome* w : {&welcome, &documents}) w->Start_Timer->stop();
    documents.Main_Button_Clicked();  // the second panel and the document buttons
    Error_Window errors;
    errors.Lines = QStringList(40, QStringLiteral("Cell C2: \"x\" Not numeric -> Ignored"));
    Sort_Dialog sort(search.Results.Model, session.Sort_Keys, &search);
    sort.Load();
    Code_Picker picker(session, &search);
    picker.Coded_Field = session.Description().Fields().Item(session.Description().Fields().Number("EM"));
    picker.Target_Box = search.Rows->Value_Text[1];
    picker.Load();
    Export output(session, search.Results, &search);
    output.Load();
    Field_Chooser chooser(&output);
    chooser.Names = output.Columns.get();
    chooser.Load();
    ASSERT_TRUE(Show_Record_Window(session, 1, &search));
    Counts_Window* counts =
        Show_Counts_Window(session, search.Results, &search, session.Description().Fields().Number("DomReco1"));
    const std::vector<QWidget*> windows{
        &search, &welcome, &documents, &errors, &sort, &picker, &output, &chooser, Current_Record_Window(), counts};
    // The dialogs must still fit half the screen (a scale factor of 2) in French, and with
    // every English caption 40% longer.
    const std::vector<QWidget*> dialogs{&welcome, &documents, &errors, &sort, &picker, &output, &chooser,
                                        Current_Record_Window()};
    for (QWidget* w : windows) w->show();
    QApplication::processEvents();

    std::vector<Texts> english;
    for (QWidget* w : windows) {
        english.push_back(Shown_Texts(w));
        EXPECT_EQ(Cut_Captions(w), QStringList()) << "EN " << w->objectName().toStdString();
        EXPECT_EQ(Unnamed_Controls(w), QStringList()) << "EN " << w->objectName().toStdString();
        EXPECT_EQ(Keyboard_Gaps(w), QStringList()) << "EN " << w->objectName().toStdString();
    }
    welcome.Start_Progress(10, QStringLiteral("Reading the workbook"));  // the first panel at its fullest
    for (QWidget* w : dialogs) Expect_Room_For_Longer_Captions(w);
    welcome.Hide_Progress();
    // The result reaches a screen reader as a table: its size, and each cell's text.
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(search.Result_Grid);
    ASSERT_TRUE(grid && grid->tableInterface());
    EXPECT_EQ(grid->tableInterface()->rowCount(), search.Results.Model.rowCount());
    EXPECT_EQ(grid->tableInterface()->columnCount(), search.Results.Model.columnCount());
    QAccessibleInterface* cell = grid->tableInterface()->cellAt(0, 1);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->text(QAccessible::Name), search.Results.Model.Text(0, 1));

    search.Language_Box->setCurrentIndex(search.Language_Box->findText("FR"));
    QApplication::processEvents();
    EXPECT_EQ(Interface_Language(), "FR");
    EXPECT_EQ(Start_Interface_Language(), "FR");  // the next start opens in French
    for (size_t i = 0; i < windows.size(); ++i) {
        QWidget* w = windows[i];
        QStringList left;
        for (const auto& [key, text] : Shown_Texts(w)) {
            const auto was = english[i].find(key);
            if (was != english[i].end() && !text.isEmpty() && text == was->second && !Same_In_Both_Languages(text))
                left << text;
        }
        EXPECT_EQ(left, QStringList()) << "English left in " << w->metaObject()->className();
        EXPECT_EQ(Cut_Captions(w), QStringList()) << "FR " << w->metaObject()->className();
        EXPECT_EQ(Unnamed_Controls(w), QStringList()) << "FR " << w->metaObject()->className();
        EXPECT_EQ(Keyboard_Gaps(w), QStringList()) << "FR " << w->metaObject()->className();
    }
    EXPECT_LE(search.minimumSizeHint().width(), 683);  // as in English
    for (QWidget* w : dialogs) {
        const QSize least = w->minimumSizeHint().expandedTo(w->minimumSize());
        EXPECT_LE(least.width(), Half_Screen_Room.width()) << w->metaObject()->className();
        EXPECT_LE(least.height(), Half_Screen_Room.height()) << w->metaObject()->className();
    }

    search.Language_Box->setCurrentIndex(search.Language_Box->findText("EN"));
    QApplication::processEvents();
    for (size_t i = 0; i < windows.size(); ++i) {
        QStringList changed;
        const Texts now = Shown_Texts(windows[i]);
        for (const auto& [key, text] : english[i])
            if (const auto it = now.find(key); it == now.end() || it->second != text)
                changed << text + " -> " + (it == now.end() ? QStringLiteral("(gone)") : it->second);
        EXPECT_EQ(changed, QStringList()) << windows[i]->metaObject()->className();
    }
}
