#include "views/Record_Window.h"
#include "search/Record_Lines.h"
#include "views/Result_View.h"

#include "Views_Fixture.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>
#include <QWheelEvent>

// Stands in for the desktop's browser.
class Url_Catcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

namespace {

struct Record_Window_Test : Sample_Data {
    void TearDown() override { Use_Language("EN"); }

    static QStringList Shown_Labels(const Record_Window& w) {
        QStringList l;
        for (QLabel* lab : w.Label)
            if (!lab->isHidden()) l << lab->text();
        return l;
    }
    static QString Shown_Value(const Record_Window& w, const QString& label) {
        const int k = static_cast<int>(Shown_Labels(w).indexOf(label));
        return k < 0 ? QStringLiteral("<no row>") : w.Value_Texts[k]->toPlainText();
    }
    QString Label_Of(const char* name) {
        return session.Description().Fields().Item(name)->Label_In(session.Language()) + ": ";
    }
    QString Stored(int r, const char* name) { return To_Text(session.Records()(r, Field_Number(name))); }
    // A record with a long text, so that some of its values wrap.
    int Long_Record() {
        for (int r = 1; r <= session.Records().Record_Count(); ++r)
            if (Stored(r, "RecoEN").size() > 120) return r;
        return 1;
    }
    // The window shown at a size, with record r.
    static void Open(Record_Window& w, QSize size, int r) {
        w.resize(size);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        ASSERT_TRUE(w.Display_Record(Value::Long(r)));
        QCoreApplication::processEvents();
    }
};

}  // namespace

TEST_F(Record_Window_Test, Shows_The_Sixteen_Fields_Of_The_Language_And_Codes_As_Labels) {
    // A record with every coded field filled.
    int r = 1;
    while (r < session.Records().Record_Count() && (Stored(r, "EM").isEmpty() || Stored(r, "EmetType").isEmpty() ||
                                                    Stored(r, "DomReco1").isEmpty() || Stored(r, "Dest1").isEmpty()))
        ++r;
    for (const auto& [lang, shownText, leftOut] : {std::tuple{"EN", "RecoEN", "RecoFr"}, {"FR", "RecoFr", "RecoEN"}}) {
        SCOPED_TRACE(lang);
        Use_Language(lang);
        Record_Window w(session);
        ASSERT_TRUE(w.Display_Record(Value::Long(r)));
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Record #%1").arg(r));
        const QStringList labels = Shown_Labels(w);
        EXPECT_EQ(labels.size(), 16);
        EXPECT_EQ(labels.first(), Label_Of("Year"));
        // Both texts have the same French label: the value tells which one is shown.
        EXPECT_EQ(labels.count(Label_Of(shownText)), 1);
        EXPECT_EQ(Shown_Value(w, Label_Of(shownText)), Stored(r, shownText));
        EXPECT_NE(Shown_Value(w, Label_Of(shownText)), Stored(r, leftOut));
        for (const char* name : {"EM", "EmetType", "DomReco1", "Dest1"}) {
            const Field_Def& f = *session.Description().Fields().Item(QString::fromLatin1(name));
            const QString label = To_Text(f.Label_Of(Stored(r, name)));
            ASSERT_NE(label, Stored(r, name)) << name;
            EXPECT_EQ(Shown_Value(w, Label_Of(name)), label) << name;
        }
    }
}

TEST_F(Record_Window_Test, Stacks_The_Rows_And_Scrolls_Only_When_They_Do_Not_Fit) {
    Record_Window w(session);
    Open(w, {300, 300}, Long_Record());
    // Each row right under the one before, its box high enough for the text it lays out.
    bool someWrap = false;
    for (int k = 0; k < 16; ++k) {
        QTextEdit* box = w.Value_Texts[k];
        if (k > 0) { EXPECT_EQ(box->y(), w.Value_Texts[k - 1]->geometry().bottom() + 1) << k; }
        EXPECT_LE(box->document()->size().height(), box->viewport()->height() + 1) << k;
        EXPECT_GE(w.Label[k]->y(), box->y()) << k;
        someWrap |= box->height() > w.Value_Texts[0]->height();
    }
    EXPECT_TRUE(someWrap);

    QScrollBar* bar = w.Scroll->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    // The boxes end at the bar.
    EXPECT_LE(w.Value_Texts[0]->mapTo(&w, QPoint(w.Value_Texts[0]->width(), 0)).x(), bar->mapTo(&w, QPoint()).x());
    const int narrowHeight = w.Content->height();

    // A key moves the rows up by a line, the wheel over a value by the wheel's lines.
    QTest::keyClick(&w, Qt::Key_Down);
    const int line = bar->singleStep();
    EXPECT_EQ(w.Content->y(), -line);
    QWheelEvent wheel(QPointF(5, 5), w.Value_Texts[1]->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.Value_Texts[1]->viewport(), &wheel);
    EXPECT_EQ(w.Content->y(), -std::min(line + QApplication::wheelScrollLines() * line, bar->maximum()));
    QTest::keyClick(&w, Qt::Key_End);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(w.Content->geometry().bottom(), w.Scroll->viewport()->height() - 1);

    // Wider and higher: lines unwrap, the rows fit, the bar goes.
    w.resize(1400, 1000);
    QCoreApplication::processEvents();
    EXPECT_LT(w.Value_Texts[15]->geometry().bottom(), narrowHeight);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(w.Content->y(), 0);
}

// Beside the grid's window where the screen has room, otherwise over the grid's right part; never
// off the screen; at the grid's top. One window shows one record after the other.
TEST_F(Record_Window_Test, Opens_Beside_The_Grid_Within_The_Screen_And_Shows_The_Next_Record) {
    for (const int owner_width : {200, 1600}) {
        SCOPED_TRACE(owner_width);
        Result_Model cells;
        QWidget owner;
        auto* grid = new Result_View(cells, &owner);
        owner.setGeometry(0, 0, owner_width, 500);
        grid->setGeometry(10, 150, owner_width - 20, 300);
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
        ASSERT_TRUE(Show_Record_Window(session, 1, &owner, grid));
        Record_Window* w = Current_Record_Window();
        const QRect screen = owner.screen()->availableGeometry(), outer = w->frameGeometry();
        EXPECT_TRUE(screen.contains(outer)) << outer.x() << "," << outer.y() << " " << outer.width();
        EXPECT_EQ(outer.top(), grid->mapToGlobal(QPoint()).y());
        if (owner_width < screen.width() - outer.width())
            EXPECT_GT(outer.left(), owner.frameGeometry().right());
        else
            EXPECT_EQ(outer.right(), std::min(grid->mapToGlobal(QPoint(grid->width() - 1, 0)).x(), screen.right()));
        // Kept above the window it was opened from, which keeps the keys.
        ASSERT_NE(w->windowHandle(), nullptr);
        EXPECT_EQ(w->windowHandle()->transientParent(), owner.windowHandle());
        // The row of the record is marked while the window shows it; the next record takes the same
        // window, a refused one leaves it as it is.
        EXPECT_EQ(grid->Marked_Record(), 1);
        ASSERT_TRUE(Show_Record_Window(session, 2, &owner, grid));
        EXPECT_FALSE(Show_Record_Window(session, session.Records().Row_Upper() + 5, &owner, grid));
        EXPECT_EQ(Current_Record_Window(), w);
        EXPECT_EQ(w->windowTitle(), "Record #2");
        EXPECT_EQ(w->Value_Texts[3]->toPlainText(), Stored(2, "ProjName"));
        EXPECT_EQ(grid->Marked_Record(), 2);
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(grid->Marked_Record(), 0);
        // Closed, a refused record opens none.
        EXPECT_FALSE(Show_Record_Window(session, -3, &owner, grid));
        EXPECT_EQ(Current_Record_Window(), nullptr);
    }
}

TEST_F(Record_Window_Test, Web_Addresses_Of_The_Link_Fields_Open_In_The_Browser_And_Escape_Closes) {
    Url_Catcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    const int r = 1;
    const Value kept_toolkit = session.Records()(r, Field_Number("ToolKit")),
                kept_matos = session.Records()(r, Field_Number("MATOS"));
    session.Records()(r, Field_Number("ToolKit")) = Value::String("https://example.org/form?id=1");
    session.Records()(r, Field_Number("MATOS")) = Value::String("Brochure (PDF)");
    QPointer<Record_Window> w = new Record_Window(session);
    Open(*w, QSize(600, 500), r);
    const int k = static_cast<int>(Shown_Labels(*w).indexOf(Label_Of("ToolKit")));
    ASSERT_GE(k, 0);
    auto* link = qobject_cast<QTextBrowser*>(w->Value_Texts[k]);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->toPlainText(), "https://example.org/form?id=1");
    EXPECT_TRUE(link->toHtml().contains("href=\"https://example.org/form?id=1\""));
    EXPECT_FALSE(w->Value_Texts[k + 1]->toHtml().contains("href"));  // not an address: plain text
    emit link->anchorClicked(QUrl("https://example.org/form?id=1"));
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl("https://example.org/form?id=1")});
    QDesktopServices::unsetUrlHandler("https");
    w->setFocus();
    // Ctrl+C copies every line of the record, a part selected in a value only that part.
    QTest::keyClick(w.data(), Qt::Key_C, Qt::ControlModifier);
    const QString all = QGuiApplication::clipboard()->text();
    EXPECT_EQ(all.count("\r\n"), w->Shown_Rows());
    EXPECT_TRUE(all.contains(Label_Of("MATOS") + "Brochure (PDF)\r\n")) << all.toStdString();
    QTextCursor part = w->Value_Texts[k + 1]->textCursor();
    part.setPosition(0);
    part.setPosition(8, QTextCursor::KeepAnchor);
    w->Value_Texts[k + 1]->setTextCursor(part);
    QTest::keyClick(w.data(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Brochure");
    QTest::keyClick(w.data(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.isNull() || !w->isVisible());
    delete w.data();
    session.Records()(r, Field_Number("ToolKit")) = kept_toolkit;
    session.Records()(r, Field_Number("MATOS")) = kept_matos;
}

TEST(Web_Address, Only_A_Whole_Address_Is_One) {
    const std::pair<const char*, const char*> cases[] = {{"https://example.org/a", "https://example.org/a"},
                                                         {"www.example.org", "http://www.example.org"},
                                                         {"HTTP://EXAMPLE.ORG", "http://example.org"},
                                                         {"see https://example.org", ""},
                                                         {"Guide (PDF, 49 p.)", ""},
                                                         {"http://", ""},
                                                         {"", ""}};
    for (const auto& [text, url] : cases) EXPECT_EQ(Web_Address(text).toString(), url) << text;
}

#include "Record_Window_test.moc"
