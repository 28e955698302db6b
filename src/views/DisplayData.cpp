#include "views/DisplayData.h"

#include "model/Record_Description.h"
#include "search/Record_Lines.h"
#include "views/Result_View.h"
#include "winsupport/Default_App.h"
#include "winsupport/Twips.h"
#include "winsupport/cStdScrollBar.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <algorithm>

namespace {
// Room between the frame of a value box and its text, in pixels; small enough for a
// line of the window's font to fit the 205 twips a line is given.
constexpr int Text_Margin = 2;

QPointer<DisplayData>& The_Window() {
    static QPointer<DisplayData> w;
    return w;
}
}  // namespace

DisplayData::DisplayData(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("DisplayData"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::StrongFocus);
    // The form was drawn for an 8-point sans-serif font; the heights of the rows are
    // computed for it.
    QFont f = font();
    f.setPointSize(8);
    setFont(f);

    Frame1 = new QWidget(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    for (int i = 0; i < Max_Rows; ++i) {
        auto* lab = new QLabel(Frame1);
        lab->setObjectName(QStringLiteral("Label_%1").arg(i));
        lab->setContentsMargins(0, 0, 0, 0);
        lab->setIndent(0);
        lab->hide();
        Label[static_cast<size_t>(i)] = lab;

        auto* box = new QTextBrowser(Frame1);
        box->setObjectName(QStringLiteral("Valeur_%1").arg(i));
        // A web address opens in the desktop's browser, not in the box.
        box->setOpenLinks(false);
        connect(box, &QTextBrowser::anchorClicked, this, [](const QUrl& url) { Open_Web_Address(url); });
        box->setReadOnly(true);
        box->setTextInteractionFlags(Qt::TextSelectableByMouse);
        box->setFocusPolicy(Qt::NoFocus);  // the window's keys scroll the window
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setLineWrapMode(QTextEdit::WidgetWidth);
        box->setWordWrapMode(QTextOption::WordWrap);
        box->document()->setDocumentMargin(Text_Margin);
        box->hide();
        Valeur[static_cast<size_t>(i)] = box;
    }
    RichTextBox1 = new QTextDocument(this);
    RichTextBox1->setDocumentMargin(Text_Margin);
    QTextOption wrap = RichTextBox1->defaultTextOption();
    wrap.setWrapMode(QTextOption::WordWrap);
    RichTextBox1->setDefaultTextOption(wrap);

    m_oVScroll = new cStdScrollBar(this);
    m_oVScroll->WheelChange = Line_Height;  // a wheel or arrow-key line is a line of text
    connect(m_oVScroll, &cStdScrollBar::HChange, this, &DisplayData::m_oVScroll_HChange);
    connect(m_oVScroll, qOverload<qint32>(&cStdScrollBar::HScroll), this, &DisplayData::m_oVScroll_HScroll);
    connect(m_oVScroll, &cStdScrollBar::VChange, this, &DisplayData::m_oVScroll_VChange);
    connect(m_oVScroll, qOverload<qint32>(&cStdScrollBar::VScroll), this, &DisplayData::m_oVScroll_VScroll);

    resize(Twips_To_Pixels_X(Design_Width, this), Twips_To_Pixels_Y(Design_Height, this));
}

DisplayData::~DisplayData() {
    // The window is given back before it goes.
    delete m_oVScroll;
    m_oVScroll = nullptr;
}

bool DisplayData::Display_Record(const Value& record) {
    const auto lines = ::Record_Lines(record, Current_Language);
    if (!lines) return false;
    lines_.clear();
    for (const Record_Line& l : *lines) lines_.append({l.Label, l.Value});
    for (int k = 0; k < Max_Rows; ++k) {
        QLabel* lab = Label[static_cast<size_t>(k)];
        QTextEdit* box = Valeur[static_cast<size_t>(k)];
        if (k < lines_.size()) {
            lab->setText(lines_[k][0]);
            const QUrl link = (*lines)[k].Link;
            if (link.isEmpty()) {
                box->setPlainText(lines_[k][1]);
                box->setTextInteractionFlags(Qt::TextSelectableByMouse);
            } else {
                box->setHtml(
                    QStringLiteral("<a href=\"%1\">%2</a>")
                        .arg(QString::fromUtf8(link.toEncoded()).toHtmlEscaped(), lines_[k][1].toHtmlEscaped()));
                box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
            }
            lab->show();
            box->show();
        } else {
            // Rows of a longer record shown before are not left behind.
            lab->hide();
            box->hide();
        }
    }
    setWindowTitle(QStringLiteral("Record #") + QString::number(*To_Whole(record)));
    Form_Resize();
    return true;
}

void DisplayData::ReSizeCellHeight(int Index) {
    if (Index < 0 || Index >= Max_Rows) return;
    QTextEdit* box = Valeur[static_cast<size_t>(Index)];
    box->ensurePolished();
    RichTextBox1->setDefaultFont(box->font());
    RichTextBox1->setPlainText(box->toPlainText());
    const int boxWidth = Twips_To_Pixels_X(rows_[static_cast<size_t>(Index)].width, this);
    RichTextBox1->setTextWidth(std::max(0, boxWidth - 2 * box->frameWidth()));
    (void)RichTextBox1->documentLayout()->documentSize();  // lays the text out
    int lines = 0;
    for (QTextBlock b = RichTextBox1->begin(); b.isValid(); b = b.next())
        lines += b.layout() ? std::max(b.layout()->lineCount(), 1) : 1;
    rows_[static_cast<size_t>(Index)].height = std::max(lines, 1) * Line_Height + Box_Margin;
}

void DisplayData::Form_Resize() {
    if (laying_out_) return;
    laying_out_ = true;
    // Showing or hiding a bar changes the inner area: the layout is made again for the
    // new area, as the window would be resized by the bar.
    for (int pass = 0; pass < 3; ++pass) {
        const QRect before = m_oVScroll->Window() ? m_oVScroll->Client_Rect() : rect();
        Layout_Once(Pixels_To_Twips_X(before.width(), this), Pixels_To_Twips_Y(before.height(), this));
        if (m_oVScroll->Client_Rect().size() == before.size()) break;
    }
    laying_out_ = false;
}

void DisplayData::Layout_Once(int SW, int SH) {
    frameTop_ = 0;
    frameLeft_ = 0;

    const QFontMetrics fm(Label[0]->font());
    int widest = 0;
    for (const QStringList& l : lines_) widest = std::max(widest, fm.horizontalAdvance(l[0]));
    labelWidth_ = Pixels_To_Twips_X(widest, this);
    const int W = labelWidth_;
    const int labelHeight = Pixels_To_Twips_Y(fm.height(), this);

    auto px_x = [this](int tw) { return Twips_To_Pixels_X(tw, this); };
    auto px_y = [this](int tw) { return Twips_To_Pixels_Y(tw, this); };
    const int shown = std::min<int>(static_cast<int>(lines_.size()), Max_Rows);
    int bottom = 0;
    int right = 0;
    for (int k = 0; k < shown; ++k) {
        Row_Geometry& g = rows_[static_cast<size_t>(k)];
        g.width = std::max(SW - W, 0);
        ReSizeCellHeight(k);
        g.top = k == 0 ? 0 : rows_[static_cast<size_t>(k - 1)].top + rows_[static_cast<size_t>(k - 1)].height;
        const int labelTop = g.top + Label_Offset;
        // Pixel edges are rounded from the twips so that neighbouring boxes meet.
        Valeur[static_cast<size_t>(k)]->setGeometry(px_x(W), px_y(g.top), px_x(W + g.width) - px_x(W),
                                                    px_y(g.top + g.height) - px_y(g.top));
        Label[static_cast<size_t>(k)]->setGeometry(0, px_y(labelTop), px_x(W) + 1,
                                                   px_y(labelTop + labelHeight) - px_y(labelTop));
        bottom = g.top + g.height;
        right = W + g.width;
    }
    frameHeight_ = bottom;
    frameWidth_ = right;
    Move_Frame();

    m_oVScroll->SubClass(this);
    if (frameHeight_ > SH) {
        m_oVScroll->Set_VScroll(true);
        m_oVScroll->Set_VDisableNoScroll(true);
        m_oVScroll->Set_VMin(Scroll_Min);
        m_oVScroll->Set_VMax(frameHeight_);
        m_oVScroll->Set_VPage(SH);
        m_oVScroll->Set_VSmallChange(Small_Change);
    } else {
        m_oVScroll->Set_VScroll(false);
    }
    if (frameWidth_ > SW) {
        m_oVScroll->Set_HScroll(true);
        m_oVScroll->Set_HDisableNoScroll(true);
        m_oVScroll->Set_HMin(Scroll_Min);
        m_oVScroll->Set_HMax(frameWidth_);
        m_oVScroll->Set_HPage(SW);
        m_oVScroll->Set_HSmallChange(Small_Change);
    } else {
        m_oVScroll->Set_HScroll(false);
    }
    // The rows are back at the top: so are the thumbs, or the next step would jump.
    m_oVScroll->Set_VPos(m_oVScroll->VMin());
    m_oVScroll->Set_HPos(m_oVScroll->HMin());
}

void DisplayData::Move_Frame() {
    const int left = Twips_To_Pixels_X(frameLeft_, this);
    const int top = Twips_To_Pixels_Y(frameTop_, this);
    Frame1->setGeometry(left, top, Twips_To_Pixels_X(frameLeft_ + frameWidth_, this) - left,
                        Twips_To_Pixels_Y(frameTop_ + frameHeight_, this) - top);
}

void DisplayData::m_oVScroll_HChange(qint32 pos) {
    frameLeft_ = -pos;
    Move_Frame();
}
void DisplayData::m_oVScroll_HScroll(qint32 pos) { m_oVScroll_HChange(pos); }
void DisplayData::m_oVScroll_VChange(qint32 pos) {
    frameTop_ = -pos;
    Move_Frame();
}
void DisplayData::m_oVScroll_VScroll(qint32 pos) { m_oVScroll_VChange(pos); }

void DisplayData::Copy_Record() {
    QString text;
    for (const QStringList& l : lines_) text += l[0] + l[1] + QStringLiteral("\r\n");
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void DisplayData::keyPressEvent(QKeyEvent* e) {
    if (e->matches(QKeySequence::Copy)) {
        // The value boxes take no focus: a part of a value selected by mouse is what
        // the keys copy then.
        for (QTextEdit* box : Valeur)
            if (box->isVisible() && box->textCursor().hasSelection()) {
                box->copy();
                return;
            }
        Copy_Record();
        return;
    }
    // Escape closes the record, as the close box does.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

void DisplayData::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Form_Resize();
}

void DisplayData::Place_Beside(const QWidget* grid) {
    if (!grid || !grid->screen()) return;
    const QRect free = grid->screen()->availableGeometry();
    const QWidget* main = grid->window();
    const QRect main_outer = main->frameGeometry();
    // Before the first show our frame is not known: it is taken to be the main window's.
    QMargins frame(main->geometry().left() - main_outer.left(), main->geometry().top() - main_outer.top(),
                   main_outer.right() - main->geometry().right(), main_outer.bottom() - main->geometry().bottom());
    if (isVisible()) {
        const QRect outer = frameGeometry();
        frame = QMargins(geometry().left() - outer.left(), geometry().top() - outer.top(),
                         outer.right() - geometry().right(), outer.bottom() - geometry().bottom());
    }
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    resize(size().boundedTo(free.size() - extra));
    const QSize outer = size() + extra;
    const QRect g(grid->mapToGlobal(QPoint(0, 0)), grid->size());
    int x = main_outer.right() + 1;
    if (x + outer.width() - 1 > free.right()) {
        x = main_outer.left() - outer.width();
        if (x < free.left()) x = std::min(g.right() + 1, free.right() + 1) - outer.width();
    }
    x = std::clamp(x, free.left(), free.right() + 1 - outer.width());
    const int y = std::clamp(g.top(), free.top(), free.bottom() + 1 - outer.height());
    move(x, y);
}

bool Show_Record_Window(int record, QWidget* owner, Result_View* grid) {
    QPointer<DisplayData>& w = The_Window();
    const bool created = !w;
    if (created) w = new DisplayData(owner);
    if (!w->Display_Record(Value::Long(record))) {
        if (created) delete w.data();
        return false;
    }
    if (grid) {
        if (created) {
            w->Place_Beside(grid);
            // Once the window goes, no row is marked as on display.
            QObject::connect(w.data(), &QObject::destroyed, grid, [grid] { grid->Set_Marked_Record(0); });
        }
        grid->Set_Marked_Record(record);
    }
    // Forward, also over a maximised main window that was clicked meanwhile; the keys
    // stay with the grid, to go on through the rows or copy them.
    w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->show();
    w->raise();
    return true;
}

DisplayData* Record_Window() { return The_Window().data(); }
