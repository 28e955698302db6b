#pragma once
// Controls that ask the window's layout for a width of the window's choosing: the
// search window's proportions, kept by its layouts.
#include <QComboBox>
#include <QSize>
#include <algorithm>
#include <functional>

// The width a control asks of the window's layout, in pixels, so that the window keeps
// its drawn proportions; on a small screen the layout still narrows it to its minimum.
class Preferred_Width {
public:
    int Preferred_Width_Px = 0;  // 0: the control's own

protected:
    QSize Widen(QSize hint) const {
        if (Preferred_Width_Px > 0) hint.setWidth(Preferred_Width_Px);
        return hint;
    }
};
template <class Base> class Sized : public Base, public Preferred_Width {
public:
    using Base::Base;
    QSize sizeHint() const override { return Widen(Base::sizeHint()); }
    // Some controls take their minimum from their hint: the minimum stays their own.
    QSize minimumSizeHint() const override {
        QSize m = Base::minimumSizeHint();
        if (Preferred_Width_Px > 0) m.setWidth(std::min(m.width(), Base::sizeHint().width()));
        return m;
    }
};
// Sets it on a control made as Sized or Drop_Down_List; others are left alone.
void Set_Preferred_Width(QWidget* w, int pixels);

// A drop-down list that tells when it opens (the lists' DropDown event).
class Drop_Down_List : public QComboBox, public Preferred_Width {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    std::function<void()> DropDown;
    void showPopup() override;
    QSize sizeHint() const override { return Widen(QComboBox::sizeHint()); }
};
