// Layout of the search window: Qt layouts that give the controls the proportions the
// window was drawn with when the screen has room, and narrow them down to what their
// texts need on a small screen, so that everything stays within the window. Sizes are
// counted in average characters and lines of the window's font, so they follow the font
// and the screen's scale together.
#include "views/Search_Window.h"

#include "views/Criteria_Rows.h"
#include "views/Output_Buttons.h"
#include "views/Reload_Bar.h"
#include "views/Result_View.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <algorithm>

namespace {
// Drawn sizes, in average characters of the window's font (lines for heights).
constexpr double Gap = 0.7;
constexpr double Combination_Width = 42.8, Submit_Width = 13.5, Display_Options_Width = 54.8;
constexpr double Button_Width = 13.5, Nb_Records_Width = 26.7, Copyright_Width = 26.7;
constexpr double Options_Gap = 1.8, Tight = 0.5;
constexpr double Quick_Find_Width = 40;
constexpr double Row_Step_Lines = 1.85;
// The window as drawn: its width, and its height as a share of the width.
constexpr double Design_Width = 143, Design_Height_Share = 8400.0 / 12900.0;

// The window's outer size is its inner size plus a sizable frame and caption, drawn by
// the window manager in device pixels.
constexpr int Frame_Extra_Width = 8, Frame_Extra_Height = 27;
}  // namespace

int Search_Window::Height_Of(const QWidget* w) const { return w ? w->height() : 0; }

QFontMetrics Search_Window::Layout_Metrics() const {
    // The window takes the result's font when it loads; the layout is made before.
    QFont f = font();
    f.setPointSizeF(Result_Font_Points);
    return QFontMetrics(f);
}

int Search_Window::Chars(double n) const { return qRound(n * Layout_Metrics().averageCharWidth()); }

int Search_Window::Row_Height() const { return qRound(Row_Step_Lines * Layout_Metrics().lineSpacing()); }

void Search_Window::Build_Layout() {
    const auto px = [this](double chars) { return Chars(chars); };
    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(px(Gap), px(0.2), px(Gap), px(Tight));
    window->setSpacing(px(Gap));

    window->addWidget(Reload_Offer);
    // Beside the criterion rows, where there is room on any screen: saving and opening
    // searches, the recent ones under them.
    auto* rows = new QHBoxLayout;
    rows->setSpacing(px(Gap));
    rows->addWidget(Rows, 1);
    auto* saved = new QVBoxLayout;
    saved->setSpacing(px(0.2));
    for (QWidget* b : {static_cast<QWidget*>(Save_Search_Button), static_cast<QWidget*>(Open_Search_Button),
                       static_cast<QWidget*>(Recent_Searches_Button)}) {
        b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        saved->addWidget(b);
    }
    saved->addStretch(1);
    rows->addLayout(saved);
    window->addLayout(rows);

    // The combination, Submit and the display options side by side.
    // Tight margins and gaps: on a small screen the row must still fit across.
    const int tight = px(Tight);
    // "Ignore accents" under the two options: the row has no room left across.
    auto* combination = new QGridLayout(Combination);
    combination->setContentsMargins(tight, tight, tight, tight);
    combination->setHorizontalSpacing(tight);
    combination->setVerticalSpacing(0);
    combination->addWidget(Combine_With_And, 0, 0);
    combination->addWidget(Combine_With_Or, 0, 1);
    combination->addWidget(Ignore_Accents_Box, 1, 0, 1, 2);
    Set_Preferred_Width(Combination, px(Combination_Width));
    // "Adjust Cell Size" at its place; "Multi-Columns Sort" and the language list share
    // what is left of the frame in equal gaps, so the three sit side by side.
    auto* display = new QHBoxLayout(Display_Options);
    display->setContentsMargins(tight, tight, tight, tight);
    display->setSpacing(0);
    display->addWidget(Adjust_Cell_Size_Box);
    display->addSpacing(tight);
    display->addStretch(1);
    display->addWidget(Multi_Key_Box);
    display->addSpacing(tight);
    display->addStretch(1);
    display->addWidget(Language_Box);
    display->addStretch(1);
    Language_Box->setMinimumContentsLength(2);
    Set_Preferred_Width(Display_Options, px(Display_Options_Width));
    Set_Preferred_Width(Submit, px(Submit_Width));
    Set_Preferred_Width(Clear_Button, px(Submit_Width));
    // Submit beside the two options, Clear beside "Ignore accents".
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(tight);
    buttons->addStretch(1);
    buttons->addWidget(Submit);
    buttons->addWidget(Clear_Button);
    auto* options = new QHBoxLayout;
    options->addSpacing(px(Options_Gap) - tight);
    options->setSpacing(tight);
    options->addWidget(Combination);
    options->addLayout(buttons);
    options->addWidget(Display_Options);
    options->addStretch(1);
    window->addLayout(options);

    // Quick find right above the rows it narrows.
    Set_Preferred_Width(Quick_Find_Box, px(Quick_Find_Width));
    window->addWidget(Quick_Find_Box, 0, Qt::AlignLeft);
    window->addWidget(Result_Grid, 1);

    output_->Set_Sizes(px(Button_Width), px(Nb_Records_Width), px(Copyright_Width), px(Gap));
    window->addWidget(output_);

    Fit_To_Screen();
}

void Search_Window::Fit_To_Screen() {
    const int width = Chars(Design_Width);
    const QSize design(width, qRound(width * Design_Height_Share));
    QSize size = design;
    if (const QScreen* s = screen()) {
        // The window manager's frame is drawn in device pixels, unscaled.
        const qreal ratio = std::max<qreal>(s->devicePixelRatio(), 1);
        const QSize frame(qRound(Frame_Extra_Width / ratio), qRound(Frame_Extra_Height / ratio));
        size = size.boundedTo(s->availableGeometry().size() - frame);
        // A screen smaller than the window as drawn gets all of it.
        if (size != design) setWindowState(windowState() | Qt::WindowMaximized);
    }
    resize(size.expandedTo(minimumSizeHint()));
    // Placed before it is first shown, as a window drawn at design time is.
    if (layout()) layout()->activate();
    for (QWidget* part :
         {static_cast<QWidget*>(Rows), static_cast<QWidget*>(Combination), static_cast<QWidget*>(Display_Options)})
        part->layout()->activate();
}
