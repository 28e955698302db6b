#pragma once
// A tooltip of our own over a widget or a rectangle of it: plain or balloon, with a
// bold title and an icon, shown after a delay while the mouse rests on the tool area
// and hidden after its visible time or when the mouse leaves.
//
// The properties are written as plain members (tip.Title = "..."); a write is stored
// and, while the tip window exists, the colours, the text, and the title with its icon
// take effect at once, as the tooltip control does. Style, Centered, VisibleTime and
// DelayTime take effect at the next Create.
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

class CTooltip;
class QTimer;

namespace Tooltip_Detail {
enum class Prop { Style, Centered, Icon, ForeColor, Title, BackColor, TipText, VisibleTime, DelayTime };

// One property: reads as its value, a write tells the owner.
template <class T, Prop P> class Property {
public:
    Property(CTooltip* owner, T initial) : owner_(owner), value_(std::move(initial)) {}
    Property(const Property&) = delete;
    Property& operator=(const Property& other) { return *this = other.value_; }
    Property& operator=(const T& v);
    operator const T&() const { return value_; }
    const T& operator()() const { return value_; }
    bool operator==(const T& v) const { return value_ == v; }

private:
    friend class ::CTooltip;
    CTooltip* owner_;
    T value_;
};
}  // namespace Tooltip_Detail

// The tip window itself; what it shows is what CTooltip last sent it.
class Tip_Window : public QWidget {
    Q_OBJECT
public:
    explicit Tip_Window(QWidget* owner_window, bool balloon);

    bool Balloon() const { return balloon_; }
    const QString& Shown_Title() const { return title_; }
    int Shown_Icon() const { return icon_; }
    const QString& Shown_Text() const { return text_; }
    quint32 Text_Color() const { return fore_; }  // 0 = system colour
    quint32 Background_Color() const { return back_; }  // 0 = system colour
    int Max_Width() const { return max_width_; }

    void Set_Title(const QString& title, int icon);
    void Set_Text(const QString& text);
    void Set_Text_Color(quint32 color);
    void Set_Background_Color(quint32 color);
    void Set_Max_Width(int pixels);
    // The balloon's stem: on the top edge (tip below the tool) or the bottom edge, at x
    // pixels from the window's left (balloon style only).
    void Set_Stem(bool up, int x);
    bool Stem_Up() const { return stem_up_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QRect Body() const;
    QSize Content_Size() const;
    bool balloon_;
    bool stem_up_ = true;
    int stem_x_ = 16;
    QString title_, text_;
    int icon_ = 0;
    quint32 fore_ = 0, back_ = 0;
    int max_width_ = 400;
};

class CTooltip : public QObject {
    Q_OBJECT
public:
    CTooltip();
    ~CTooltip() override;  // Destroy
    CTooltip(const CTooltip&) = delete;
    CTooltip& operator=(const CTooltip&) = delete;

    // Colours are 0x00BBGGRR values, as the platform gives them; 0 = system colour.
    Tooltip_Detail::Property<int, Tooltip_Detail::Prop::Style> Style{this, 0};  // 1 = balloon
    Tooltip_Detail::Property<bool, Tooltip_Detail::Prop::Centered> Centered{this, false};
    Tooltip_Detail::Property<int, Tooltip_Detail::Prop::Icon> Icon{this, 0};  // 0 none, 1 info, 2 warning, 3 error
    Tooltip_Detail::Property<quint32, Tooltip_Detail::Prop::ForeColor> ForeColor{this, 0};
    Tooltip_Detail::Property<QString, Tooltip_Detail::Prop::Title> Title{this, QString()};
    Tooltip_Detail::Property<quint32, Tooltip_Detail::Prop::BackColor> BackColor{this, 0};
    Tooltip_Detail::Property<QString, Tooltip_Detail::Prop::TipText> TipText{this, QString()};
    Tooltip_Detail::Property<int, Tooltip_Detail::Prop::VisibleTime> VisibleTime{this, 10000};  // ms
    Tooltip_Detail::Property<int, Tooltip_Detail::Prop::DelayTime> DelayTime{this, 500};  // ms

    // The tool is the rectangle (left, top, right, bottom) of ParentHwnd in its
    // pixels, right and bottom exclusive; all four 0: the whole widget. A tip made
    // earlier by this object goes first. False without a parent.
    bool Create(QWidget* ParentHwnd, int left = 0, int top = 0, int right = 0, int bottom = 0);
    bool Create(QWidget* parent, const QRect& rect);
    void Destroy();

    // The tip window, nullptr when none.
    Tip_Window* Window() const { return tip_; }
    QWidget* Parent() const { return parent_; }
    // The tool area in the parent's pixels (the whole parent for an all-zero rect).
    QRect Tool_Rect() const;
    bool Is_Shown() const;
    // Shows the tip now (as when the delay ends) or hides it.
    void Show_Tip();
    void Hide_Tip();

    // A title is cut to 96 characters and "..." from 100 characters on.
    static QString Cut_Title(const QString& title);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    template <class T, Tooltip_Detail::Prop P> friend class Tooltip_Detail::Property;
    void Written(Tooltip_Detail::Prop p);
    bool Mouse_In_Tool(const QPoint& global) const;
    void Place();

    QPointer<QWidget> parent_;
    QPointer<Tip_Window> tip_;
    QRect rect_;
    bool whole_ = false;
    bool centered_ = false;  // as at Create
    int visible_ms_ = 10000, delay_ms_ = 500;
    QTimer* delay_timer_;
    QTimer* visible_timer_;
    // After the visible time ends, the tip stays hidden until the mouse leaves the tool.
    bool spent_ = false;
    QPoint last_mouse_;
};

namespace Tooltip_Detail {
template <class T, Prop P> Property<T, P>& Property<T, P>::operator=(const T& v) {
    value_ = v;
    owner_->Written(P);
    return *this;
}
}  // namespace Tooltip_Detail
