#pragma once
// The standard horizontal and vertical scroll bars of an ordinary window, as an object
// with properties and change events.
//
// SubClass(window) takes over the window's events: one event filter, shared by every
// instance, finds the object through the window's property "nvStdScroll" (a plain,
// non-owning pointer) and lets it handle the event. The object puts two QScrollBar
// widgets on the window's right and bottom edges; whatever moves them (arrows, trough,
// thumb, the bars' own keys, the window's wheel and keys) becomes a request code that
// Handle_Scroll turns into a position, written through HPos / VPos, so that the bar
// clamps it, and an event carrying the position the bar ended at. The window's content
// is not moved here: that is for whoever listens to the events.
//
// Range and page follow the platform's bars: positions run from Min to Max - Page + 1
// (to Max when Page is 0); a bar whose range is not larger than its page is not needed
// and is hidden, or shown disabled when its DisableNoScroll flag is on.
//
// The owner keeps the object while the window is subclassed; ending it (or Release)
// gives the window back as it was.
#include <QObject>
#include <QPointer>
#include <QRect>

#include <QScrollBar>
class QWidget;

class cStdScrollBar : public QObject {
    Q_OBJECT
public:
    // Request codes of the scroll messages.
    enum Request : int {
        Line_Up = 0,  // line left / up
        Line_Down = 1,  // line right / down
        Page_Up = 2,
        Page_Down = 3,
        Thumb_Position = 4,  // thumb dropped
        Thumb_Track = 5,  // thumb moving
        Top = 6,  // left / top end
        Bottom = 7,  // right / bottom end
        End_Scroll = 8,
    };

    explicit cStdScrollBar(QObject* parent = nullptr);
    ~cStdScrollBar() override;

    // Attaches to the window; nothing when there is no window or it is already subclassed.
    void SubClass(QWidget* window);
    // Gives the window back: bars removed, property and event filter taken away.
    void Release();
    QWidget* Window() const { return window_; }
    // The object subclassing the window, if any.
    static cStdScrollBar* From_Window(const QWidget* window);

    // ---------------------------------------------------------------- horizontal
    bool HScroll() const { return h_.shown; }
    void Set_HScroll(bool on);
    qint32 HMin() const { return h_.min; }
    void Set_HMin(qint32 v);
    qint32 HMax() const { return h_.max; }
    void Set_HMax(qint32 v);
    qint32 HPage() const { return h_.page; }
    void Set_HPage(qint32 v);
    qint32 HPos() const;
    void Set_HPos(qint32 v);
    qint32 HSmallChange() const { return h_.small; }
    void Set_HSmallChange(qint32 v) { h_.small = v; }
    bool HDisableNoScroll() const { return h_.disableNoScroll; }
    void Set_HDisableNoScroll(bool on) { h_.disableNoScroll = on; }

    // ---------------------------------------------------------------- vertical
    bool VScroll() const { return v_.shown; }
    void Set_VScroll(bool on);
    qint32 VMin() const { return v_.min; }
    void Set_VMin(qint32 v);
    qint32 VMax() const { return v_.max; }
    void Set_VMax(qint32 v);
    qint32 VPage() const { return v_.page; }
    void Set_VPage(qint32 v);
    qint32 VPos() const;
    void Set_VPos(qint32 v);
    qint32 VSmallChange() const { return v_.small; }
    void Set_VSmallChange(qint32 v) { v_.small = v; }
    bool VDisableNoScroll() const { return v_.disableNoScroll; }
    void Set_VDisableNoScroll(bool on) { v_.disableNoScroll = on; }

    // Positions per line of the wheel and the arrow keys of the window, both bars;
    // 0: the bar's small change.
    qint32 WheelChange = 0;

    // The scroll message of one bar: moves by the request and raises the event.
    // Answers 0, as the message is not passed on.
    int Handle_Scroll(Qt::Orientation bar, int code);

    // The bar widgets (null until SubClass) and the window's area left free by the
    // shown bars, in the window's pixels.
    QScrollBar* Horizontal_Bar() const { return h_.bar; }
    QScrollBar* Vertical_Bar() const { return v_.bar; }
    QRect Client_Rect() const;

signals:
    void HChange(qint32 pos);
    void HScroll(qint32 pos);
    void VChange(qint32 pos);
    void VScroll(qint32 pos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Bar {
        QPointer<QScrollBar> bar;
        bool shown = false;
        bool disableNoScroll = false;
        qint32 small = 0;
        qint32 min = 0;
        qint32 max = 100;
        qint32 page = 0;
        qint32 pos = 0;
        qint32 lastPos = 0;
        bool visible = false;  // as the platform shows it
        bool enabled = true;
    };
    friend class Std_Scroll_Proc;
    Bar& Of(Qt::Orientation o) { return o == Qt::Horizontal ? h_ : v_; }
    const Bar& Of(Qt::Orientation o) const { return o == Qt::Horizontal ? h_ : v_; }
    // The window's events; true when handled here and not passed on.
    bool Window_Event(QEvent* event);
    void Show_Bar(Qt::Orientation o, bool on);
    enum Mask { Mask_Range = 1, Mask_Page = 2, Mask_Pos = 4 };
    // Sends the bar's record to the platform bar and keeps the position it ends at.
    void Update(Qt::Orientation o, int mask, bool paramsChanged);
    void Sync(Qt::Orientation o);
    void Set_Range(Qt::Orientation o, qint64 min, qint64 max);
    void Set_Page(Qt::Orientation o, qint32 page);
    void Set_Pos(Qt::Orientation o, qint32 pos);
    qint32 Pos(Qt::Orientation o) const;
    bool Active(Qt::Orientation o) const;
    void Place_Bars();
    void Wheel_Lines(Qt::Orientation o, int lines);
    void Move(Qt::Orientation o, qint32 newPos, bool thumb);

    QPointer<QWidget> window_;
    QPointer<QWidget> corner_;
    bool subclassed_ = false;
    Bar h_;
    Bar v_;
    int wheelRest_[2] = {0, 0};  // wheel turn not yet scrolled, horizontal and vertical
};
