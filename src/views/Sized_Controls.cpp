#include "views/Sized_Controls.h"

void Drop_Down_List::showPopup() {
    if (DropDown) DropDown();
    QComboBox::showPopup();
}

void Set_Preferred_Width(QWidget* w, int pixels) {
    auto* sized = dynamic_cast<Preferred_Width*>(w);
    if (!sized || sized->Preferred_Width_Px == pixels) return;
    sized->Preferred_Width_Px = pixels;
    w->updateGeometry();
}
