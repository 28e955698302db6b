#include "winsupport/cStdScrollBar.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QVariant>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace {
const char* const Property_Name = "nvStdScroll";
constexpr qint64 Int32_Min = std::numeric_limits<qint32>::min();
constexpr qint64 Int32_Max = std::numeric_limits<qint32>::max();

qint32 To_Int32(qint64 v) { return static_cast<qint32>(std::clamp(v, Int32_Min, Int32_Max)); }
}  // namespace

// The one procedure of every subclassed window: the object is found through the
// window's property, so any number of windows share this filter.
class Std_Scroll_Proc : public QObject {
public:
    static Std_Scroll_Proc* Shared() {
        // Lives as long as the program; windows only hold it while subclassed.
        static Std_Scroll_Proc* proc = new Std_Scroll_Proc;
        return proc;
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType()) return false;
        cStdScrollBar* sb = cStdScrollBar::From_Window(static_cast<QWidget*>(watched));
        return sb && sb->Window_Event(event);
    }
};

cStdScrollBar::cStdScrollBar(QObject* parent) : QObject(parent) {}

cStdScrollBar::~cStdScrollBar() { Release(); }

cStdScrollBar* cStdScrollBar::From_Window(const QWidget* window) {
    if (!window) return nullptr;
    return qobject_cast<cStdScrollBar*>(window->property(Property_Name).value<QObject*>());
}

void cStdScrollBar::SubClass(QWidget* window) {
    if (!window || subclassed_) return;
    if (window->property(Property_Name).isValid()) return;
    window->setProperty(Property_Name, QVariant::fromValue<QObject*>(this));
    if (From_Window(window) != this) return;
    window_ = window;
    subclassed_ = true;
    window->installEventFilter(Std_Scroll_Proc::Shared());
    qApp->installEventFilter(this);  // for the wheel over the window's controls

    for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        auto* bar = new QScrollBar(o, window);
        bar->setObjectName(o == Qt::Horizontal ? QStringLiteral("nvStdScroll_H") : QStringLiteral("nvStdScroll_V"));
        bar->hide();
        Of(o).bar = bar;
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, o](int action) {
            switch (action) {
            case QAbstractSlider::SliderSingleStepSub: Handle_Scroll(o, Line_Up); break;
            case QAbstractSlider::SliderSingleStepAdd: Handle_Scroll(o, Line_Down); break;
            case QAbstractSlider::SliderPageStepSub: Handle_Scroll(o, Page_Up); break;
            case QAbstractSlider::SliderPageStepAdd: Handle_Scroll(o, Page_Down); break;
            case QAbstractSlider::SliderToMinimum: Handle_Scroll(o, Top); break;
            case QAbstractSlider::SliderToMaximum: Handle_Scroll(o, Bottom); break;
            case QAbstractSlider::SliderMove: Handle_Scroll(o, Thumb_Track); break;
            default: break;
            }
        });
        connect(bar, &QAbstractSlider::sliderReleased, this, [this, o] {
            Handle_Scroll(o, Thumb_Position);
            Handle_Scroll(o, End_Scroll);
        });
        Sync(o);
    }
    auto* corner = new QWidget(window);
    corner->setObjectName(QStringLiteral("nvStdScroll_Corner"));
    corner->setAutoFillBackground(true);
    corner->hide();
    corner_ = corner;
    Place_Bars();
}

void cStdScrollBar::Release() {
    if (!subclassed_) return;
    qApp->removeEventFilter(this);
    if (window_) {
        window_->removeEventFilter(Std_Scroll_Proc::Shared());
        window_->setProperty(Property_Name, QVariant());
    }
    delete h_.bar.data();
    delete v_.bar.data();
    delete corner_.data();
    window_ = nullptr;
    subclassed_ = false;
}

// ------------------------------------------------------------------------ properties

void cStdScrollBar::Set_HScroll(bool on) {
    if (on == h_.shown) return;
    h_.shown = on;
    Show_Bar(Qt::Horizontal, on);
}
void cStdScrollBar::Set_VScroll(bool on) {
    if (on == v_.shown) return;
    v_.shown = on;
    Show_Bar(Qt::Vertical, on);
}
void cStdScrollBar::Set_HMin(qint32 v) { Set_Range(Qt::Horizontal, v, h_.max); }
void cStdScrollBar::Set_HMax(qint32 v) { Set_Range(Qt::Horizontal, h_.min, v); }
void cStdScrollBar::Set_VMin(qint32 v) { Set_Range(Qt::Vertical, v, v_.max); }
void cStdScrollBar::Set_VMax(qint32 v) { Set_Range(Qt::Vertical, v_.min, v); }
void cStdScrollBar::Set_HPage(qint32 v) { Set_Page(Qt::Horizontal, v); }
void cStdScrollBar::Set_VPage(qint32 v) { Set_Page(Qt::Vertical, v); }
qint32 cStdScrollBar::HPos() const { return Pos(Qt::Horizontal); }
qint32 cStdScrollBar::VPos() const { return Pos(Qt::Vertical); }
void cStdScrollBar::Set_HPos(qint32 v) { Set_Pos(Qt::Horizontal, v); }
void cStdScrollBar::Set_VPos(qint32 v) { Set_Pos(Qt::Vertical, v); }

qint32 cStdScrollBar::Pos(Qt::Orientation o) const { return Of(o).pos; }

void cStdScrollBar::Set_Range(Qt::Orientation o, qint64 min, qint64 max) {
    Bar& b = Of(o);
    // As the platform does: a reversed or too wide range becomes (0, 0).
    if (min > max || max - min >= Int32_Max) min = max = 0;
    const bool changed = b.min != min || b.max != max;
    b.min = static_cast<qint32>(min);
    b.max = static_cast<qint32>(max);
    Update(o, Mask_Range, changed);
}

void cStdScrollBar::Set_Page(Qt::Orientation o, qint32 page) {
    Bar& b = Of(o);
    const bool changed = b.page != page;
    b.page = page;
    Update(o, Mask_Page, changed);
}

void cStdScrollBar::Set_Pos(Qt::Orientation o, qint32 pos) {
    Of(o).pos = pos;
    Update(o, Mask_Pos, false);
}

void cStdScrollBar::Update(Qt::Orientation o, int mask, bool paramsChanged) {
    Bar& b = Of(o);
    const qint64 span = qint64(b.max) - b.min + 1;
    b.page = To_Int32(std::clamp<qint64>(b.page, 0, span));
    const qint64 top = qint64(b.max) - std::max(b.page - 1, 0);
    b.pos = To_Int32(std::clamp<qint64>(b.pos, b.min, std::max<qint64>(top, b.min)));
    const bool needed = b.min < top;
    const bool wasVisible = b.visible;
    if ((mask & (Mask_Range | Mask_Page)) || b.disableNoScroll) {
        if (!needed) {
            if (b.disableNoScroll)
                b.enabled = false;
            else if (paramsChanged)
                b.visible = false;
        } else if (mask != Mask_Page) {
            b.enabled = true;
            if (paramsChanged) b.visible = b.shown;
        }
    }
    Sync(o);
    if (wasVisible != b.visible) Place_Bars();
    b.lastPos = b.pos;
}

void cStdScrollBar::Show_Bar(Qt::Orientation o, bool on) {
    Bar& b = Of(o);
    if (b.visible == on) return;
    b.visible = on;
    Sync(o);
    Place_Bars();
}

void cStdScrollBar::Sync(Qt::Orientation o) {
    const Bar& b = Of(o);
    QScrollBar* bar = b.bar;
    if (!bar) return;
    const qint32 top = To_Int32(std::max<qint64>(qint64(b.max) - std::max(b.page - 1, 0), b.min));
    const QSignalBlocker quiet(bar);
    bar->setRange(b.min, top);
    bar->setPageStep(std::max(b.page, 1));
    bar->setSingleStep(std::max(b.small, 1));
    if (!bar->isSliderDown()) bar->setValue(b.pos);
    bar->setEnabled(b.enabled);
    bar->setVisible(b.visible);
}

bool cStdScrollBar::Active(Qt::Orientation o) const {
    const Bar& b = Of(o);
    return subclassed_ && b.visible && b.enabled;
}

QRect cStdScrollBar::Client_Rect() const {
    if (!window_) return {};
    QRect r = window_->rect();
    if (h_.visible && h_.bar) r.setBottom(r.bottom() - h_.bar->sizeHint().height());
    if (v_.visible && v_.bar) r.setRight(r.right() - v_.bar->sizeHint().width());
    return r;
}

void cStdScrollBar::Place_Bars() {
    if (!window_ || !h_.bar || !v_.bar) return;
    const QRect all = window_->rect();
    const QRect client = Client_Rect();
    if (v_.visible) {
        v_.bar->setGeometry(client.right() + 1, 0, all.width() - client.width(), client.height());
        v_.bar->raise();
    }
    if (h_.visible) {
        h_.bar->setGeometry(0, client.bottom() + 1, client.width(), all.height() - client.height());
        h_.bar->raise();
    }
    if (corner_) {
        corner_->setVisible(h_.visible && v_.visible);
        corner_->setGeometry(client.right() + 1, client.bottom() + 1, all.width() - client.width(),
                             all.height() - client.height());
        corner_->raise();
    }
}

// ------------------------------------------------------------------------ messages

int cStdScrollBar::Handle_Scroll(Qt::Orientation o, int code) {
    const Bar& b = Of(o);
    const qint64 pos = b.pos;
    switch (code) {
    case Line_Up: Move(o, To_Int32(pos - b.small), false); break;
    case Line_Down: Move(o, To_Int32(pos + b.small), false); break;
    case Page_Up: Move(o, To_Int32(pos - b.page), false); break;
    case Page_Down: Move(o, To_Int32(pos + b.page), false); break;
    case Thumb_Position:
    case Thumb_Track: Move(o, b.bar ? b.bar->sliderPosition() : b.pos, true); break;
    case Top: Move(o, b.min, false); break;
    case Bottom: Move(o, b.max, false); break;
    default: break;  // end of scroll
    }
    return 0;
}

void cStdScrollBar::Move(Qt::Orientation o, qint32 newPos, bool thumb) {
    Set_Pos(o, newPos);
    const qint32 p = Of(o).lastPos;
    if (o == Qt::Horizontal) {
        if (thumb)
            emit HScroll(p);
        else
            emit HChange(p);
    } else {
        if (thumb)
            emit VScroll(p);
        else
            emit VChange(p);
    }
}

void cStdScrollBar::Wheel_Lines(Qt::Orientation o, int lines) {
    const Bar& b = Of(o);
    const qint64 step = WheelChange > 0 ? WheelChange : b.small;
    Move(o, To_Int32(b.pos + lines * step), false);
}

bool cStdScrollBar::Window_Event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize: Place_Bars(); return false;
    case QEvent::ChildPolished: {
        // Controls added later are kept under the bars.
        auto* child = static_cast<QChildEvent*>(event)->child();
        if (child != h_.bar && child != v_.bar && child != corner_) Place_Bars();
        return false;
    }
    case QEvent::Wheel: {
        auto* e = static_cast<QWheelEvent*>(event);
        const QPoint d = e->angleDelta();
        const Qt::Orientation o = (d.y() == 0 && d.x() != 0) ? Qt::Horizontal : Qt::Vertical;
        if (!Active(o)) return false;
        int& rest = wheelRest_[o == Qt::Horizontal ? 0 : 1];
        rest += o == Qt::Horizontal ? d.x() : d.y();
        const int notches = rest / 120;
        rest -= notches * 120;
        if (notches != 0) Wheel_Lines(o, -notches * QApplication::wheelScrollLines());
        e->accept();
        return true;
    }
    case QEvent::KeyPress: {
        auto* e = static_cast<QKeyEvent*>(event);
        Qt::Orientation o = Qt::Vertical;
        int code = -1;
        int lines = 0;
        switch (e->key()) {
        case Qt::Key_Up: lines = -1; break;
        case Qt::Key_Down: lines = 1; break;
        case Qt::Key_Left:
            o = Qt::Horizontal;
            lines = -1;
            break;
        case Qt::Key_Right:
            o = Qt::Horizontal;
            lines = 1;
            break;
        case Qt::Key_PageUp: code = Page_Up; break;
        case Qt::Key_PageDown: code = Page_Down; break;
        case Qt::Key_Home: code = Top; break;
        case Qt::Key_End: code = Bottom; break;
        default: return false;
        }
        if (!Active(o)) return false;
        if (lines != 0)
            Wheel_Lines(o, lines);
        else
            Handle_Scroll(o, code);
        e->accept();
        return true;
    }
    default: return false;
    }
}

namespace {
// A control on the way from the wheel's target up to the window that scrolls by itself.
bool Scrolls_Itself(QWidget* w, const QWidget* window, Qt::Orientation o) {
    for (; w && w != window; w = w->parentWidget()) {
        if (auto* slider = qobject_cast<QAbstractSlider*>(w)) return slider->isEnabled();
        if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
            const QScrollBar* bar = o == Qt::Vertical ? area->verticalScrollBar() : area->horizontalScrollBar();
            if (bar && bar->isVisible() && bar->maximum() > bar->minimum()) return true;
        }
    }
    return false;
}
}  // namespace

bool cStdScrollBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel || !watched->isWidgetType() || !window_) return false;
    auto* w = static_cast<QWidget*>(watched);
    auto* e = static_cast<QWheelEvent*>(event);
    const QPoint d = e->angleDelta();
    if (w == h_.bar || w == v_.bar) {
        // The wheel over a bar scrolls that bar by lines, as over the window.
        const Qt::Orientation o = w == h_.bar ? Qt::Horizontal : Qt::Vertical;
        const int along = d.y() != 0 ? d.y() : d.x();
        QWheelEvent mapped(e->position(), e->globalPosition(), e->pixelDelta(),
                           o == Qt::Horizontal ? QPoint(along, 0) : QPoint(0, along), e->buttons(), e->modifiers(),
                           e->phase(), e->inverted());
        Window_Event(&mapped);
        return true;
    }
    // The wheel over the window's controls is the window's, unless a control scrolls
    // by itself; the toolkit does not hand it up from a child on every platform.
    if (w == window_ || !window_->isAncestorOf(w)) return false;
    const Qt::Orientation o = (d.y() == 0 && d.x() != 0) ? Qt::Horizontal : Qt::Vertical;
    if (Scrolls_Itself(w, window_, o)) return false;
    return Window_Event(event);
}
