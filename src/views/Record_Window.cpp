#include "views/Record_Window.h"

#include "model/Session.h"
#include "search/Record_Lines.h"
#include "views/Result_View.h"
#include "winsupport/Default_App.h"
#include "winsupport/Window_Settings.h"

#include <QClipboard>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {
// Pixels at 96 dpi: the window as first drawn; a label sits Label_Offset below its
// value's top, in line with the value's first line.
constexpr int Design_Width = 582, Design_Height = 411;
constexpr int Label_Offset = 4;
// Room between the frame of a value box and its text.
constexpr int Text_Margin = 2;
// A value never gets narrower than this many average characters: past that the rows
// scroll sideways instead.
constexpr int Least_Value_Chars = 8;

QPointer<Record_Window>& The_Window() {
    static QPointer<Record_Window> w;
    return w;
}

// A value: as high as its text is at the width the row gives it, without a scroll bar
// of its own (the window scrolls). A web address opens in the desktop's browser.
class Value_Box : public QTextBrowser {
public:
    explicit Value_Box(QWidget* parent) : QTextBrowser(parent) {
        setOpenLinks(false);
        connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& url) { Open_Web_Address(url); });
        setReadOnly(true);
        setTextInteractionFlags(Qt::TextSelectableByMouse);
        setFocusPolicy(Qt::NoFocus);  // the window's keys scroll the window
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setLineWrapMode(QTextEdit::WidgetWidth);
        setWordWrapMode(QTextOption::WordWrap);
        document()->setDocumentMargin(Text_Margin);
        // Not Fixed: the least height is one line, the height the one its text takes.
        QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
        connect(document(), &QTextDocument::contentsChanged, this, [this] {
            measured_width_ = -1;
            updateGeometry();
        });
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        if (width != measured_width_) {
            const std::unique_ptr<QTextDocument> copy(document()->clone());
            copy->setDefaultFont(font());
            copy->setTextWidth(std::max(1, width - 2 * frameWidth()));
            measured_height_ = static_cast<int>(std::ceil(copy->size().height())) + 2 * frameWidth();
            measured_width_ = width;
        }
        return measured_height_;
    }
    QSize sizeHint() const override {
        const int w = std::max(width(), minimumSizeHint().width());
        return {w, heightForWidth(w)};
    }
    QSize minimumSizeHint() const override {
        // One line: the height the text takes comes from heightForWidth, at the width given.
        return {fontMetrics().averageCharWidth() * Least_Value_Chars + 2 * frameWidth(),
                fontMetrics().lineSpacing() + 2 * (Text_Margin + frameWidth())};
    }

protected:
    // The wheel scrolls the window's rows, not the value.
    void wheelEvent(QWheelEvent* e) override {
        for (QWidget* p = parentWidget(); p; p = p->parentWidget())
            if (auto* area = qobject_cast<QScrollArea*>(p)) {
                QCoreApplication::sendEvent(area->viewport(), e);
                return;
            }
        e->ignore();
    }

private:
    mutable int measured_width_ = -1;
    mutable int measured_height_ = 0;
};
}  // namespace

// A dialog of its owner for the window manager, which then keeps it above the owner:
// shown without taking the keys, a plain window opened behind the window just clicked.
Record_Window::Record_Window(const Session& session, QWidget* owner)
    : QWidget(owner, owner ? Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint : Qt::Window),
      session_(session) {
    setObjectName(QStringLiteral("Record_Window"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::StrongFocus);
    // The form was drawn for an 8-point sans-serif font.
    QFont f = font();
    f.setPointSize(8);
    setFont(f);

    Scroll = new QScrollArea(this);
    Scroll->setObjectName(QStringLiteral("Scroll"));
    Scroll->setFrameShape(QFrame::NoFrame);
    Scroll->setWidgetResizable(true);
    Scroll->setFocusPolicy(Qt::NoFocus);
    Content = new QWidget;
    Content->setObjectName(QStringLiteral("Content"));
    auto* rows = new QGridLayout(Content);
    // A character's width of room at the window's edges and between label and value.
    const int gap = fontMetrics().averageCharWidth();
    rows->setContentsMargins(gap, gap / 2, gap, gap / 2);
    rows->setHorizontalSpacing(gap);
    rows->setVerticalSpacing(0);
    rows->setColumnStretch(1, 1);
    for (int i = 0; i < Max_Rows; ++i) {
        auto* lab = new QLabel(Content);
        lab->setObjectName(QStringLiteral("Label_%1").arg(i));
        lab->setContentsMargins(0, Label_Offset, 0, 0);
        lab->setIndent(0);
        lab->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        lab->hide();
        Label[static_cast<size_t>(i)] = lab;
        auto* box = new Value_Box(Content);
        box->setObjectName(QStringLiteral("Value_Texts_%1").arg(i));
        box->hide();
        Value_Texts[static_cast<size_t>(i)] = box;
        rows->addWidget(lab, i, 0, Qt::AlignTop);
        rows->addWidget(box, i, 1);
    }
    rows->setRowStretch(Max_Rows, 1);
    Scroll->setWidget(Content);
    // A line of the arrow keys and the wheel is a line of text.
    Scroll->verticalScrollBar()->setSingleStep(fontMetrics().lineSpacing());
    Scroll->horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth());
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Scroll);
    resize(Design_Width, Design_Height);
}

bool Record_Window::Display_Record(const Value& record) {
    const auto lines = ::Record_Lines(session_, record);
    if (!lines) return false;
    lines_.clear();
    for (const Record_Line& l : *lines) lines_.append({l.Label, l.Value});
    for (int k = 0; k < Max_Rows; ++k) {
        QLabel* lab = Label[static_cast<size_t>(k)];
        QTextEdit* box = Value_Texts[static_cast<size_t>(k)];
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
    record_ = record;
    shown_ = true;
    setWindowTitle(tr("Record #") + QString::number(*To_Whole(record)));
    // A new record is read from its top.
    Scroll->verticalScrollBar()->setValue(0);
    Scroll->horizontalScrollBar()->setValue(0);
    return true;
}

void Record_Window::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::LanguageChange && shown_) Display_Record(record_);
}

void Record_Window::Copy_Record() {
    QString text;
    for (const QStringList& l : lines_) text += l[0] + l[1] + QStringLiteral("\r\n");
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void Record_Window::keyPressEvent(QKeyEvent* e) {
    if (e->matches(QKeySequence::Copy)) {
        // The value boxes take no focus: a part of a value selected by mouse is what
        // the keys copy then.
        for (QTextEdit* box : Value_Texts)
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
    // The keys of a window's scroll bars scroll the rows.
    QScrollBar* down = Scroll->verticalScrollBar();
    QScrollBar* across = Scroll->horizontalScrollBar();
    const std::pair<int, std::pair<QScrollBar*, QAbstractSlider::SliderAction>> moves[] = {
        {Qt::Key_Up, {down, QAbstractSlider::SliderSingleStepSub}},
        {Qt::Key_Down, {down, QAbstractSlider::SliderSingleStepAdd}},
        {Qt::Key_PageUp, {down, QAbstractSlider::SliderPageStepSub}},
        {Qt::Key_PageDown, {down, QAbstractSlider::SliderPageStepAdd}},
        {Qt::Key_Home, {down, QAbstractSlider::SliderToMinimum}},
        {Qt::Key_End, {down, QAbstractSlider::SliderToMaximum}},
        {Qt::Key_Left, {across, QAbstractSlider::SliderSingleStepSub}},
        {Qt::Key_Right, {across, QAbstractSlider::SliderSingleStepAdd}},
    };
    for (const auto& [key, move] : moves)
        if (e->key() == key && e->modifiers() == Qt::NoModifier) {
            move.first->triggerAction(move.second);
            return;
        }
    QWidget::keyPressEvent(e);
}

void Record_Window::Place_Beside(const QWidget* grid) {
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
    // Placed by its inside: before the first show some systems take a moved window's
    // position as its inside's, and its caption then went above the screen.
    setGeometry(QRect(QPoint(x + frame.left(), y + frame.top()), size()));
}

bool Show_Record_Window(const Session& session, int record, QWidget* owner, Result_View* grid) {
    QPointer<Record_Window>& w = The_Window();
    if (w && &w->Shown_Session() != &session) delete w.data();
    const bool created = !w;
    if (created) w = new Record_Window(session, owner);
    if (!w->Display_Record(Value::Long(record))) {
        if (created) delete w.data();
        return false;
    }
    if (grid) {
        if (created) {
            // The size the user left it at; the place follows the main window's.
            Remember_Window_Place(w, false);
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

Record_Window* Current_Record_Window() { return The_Window().data(); }
