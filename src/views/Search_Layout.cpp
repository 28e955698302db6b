// Layout of the search window: Qt layouts that give the controls the proportions the
// window was drawn with when the screen has room, and narrow them down to what their
// texts need on a small screen, so that everything stays within the window. Sizes are
// counted in average characters and lines of the window's font, so they follow the font
// and the screen's scale together.
#include "views/Search.h"

#include "views/Output_Buttons.h"
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
#include <algorithm>

namespace {
// Drawn sizes, in average characters of the window's font (lines for heights).
constexpr double Field_Width = 42, Oper_Width = 17.5, Value_Width = 12.5, List_Extra = 2.7;
constexpr double Description_Column = 13.3, Find_Ref_Size = 2.8, Gap = 0.7;
constexpr double Critere_Oper_Width = 42.8, Submit_Width = 13.5, Frame1_Width = 54.8;
constexpr double Button_Width = 13.5, Nb_Records_Width = 26.7, Copyright_Width = 26.7;
constexpr double Options_Gap = 1.8, Active_Column = 5.3, Tight = 0.5;
constexpr double Row_Step_Lines = 1.85;
// The window as drawn: its width, and its height as a share of the width.
constexpr double Design_Width = 143, Design_Height_Share = 8400.0 / 12900.0;

// The window's outer size is its inner size plus a sizable frame and caption, drawn by
// the window manager in device pixels.
constexpr int Frame_Extra_Width = 8, Frame_Extra_Height = 27;
}  // namespace

int Search::Height_Of(const QWidget* w) const { return w ? w->height() : 0; }

QFontMetrics Search::Layout_Metrics() const {
    // The window takes the result's font when it loads; the layout is made before.
    QFont f = font();
    f.setPointSizeF(Result_Font_Points);
    return QFontMetrics(f);
}

int Search::Chars(double n) const { return qRound(n * Layout_Metrics().averageCharWidth()); }

void Search::Build_Layout() {
    const auto px = [this](double chars) { return Chars(chars); };
    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(px(Gap), px(0.2), px(Gap), px(Tight));
    window->setSpacing(px(Gap));

    // The criterion rows under their headings, between the two lines.
    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(px(Gap + Tight));
    rows->setVerticalSpacing(0);
    rows->addWidget(Lbl_Actif, 0, 0);
    rows->addWidget(Lbl_Field, 0, 1);
    rows->addWidget(Lbl_Not, 0, 2);
    rows->addWidget(Lbl_Oper, 0, 3);
    rows->addWidget(Lbl_Value, 0, 4);
    rows->addWidget(Line1[0], 1, 0, 1, 5);
    for (int i = 0; i < Nb_Rows; ++i) {
        const int r = 2 + i;
        rows->setRowMinimumHeight(r, qRound(Row_Step_Lines * Layout_Metrics().lineSpacing()));
        rows->addWidget(Critere_Actif[i], r, 0, Qt::AlignCenter);
        rows->addWidget(Field[i], r, 1);
        rows->addWidget(Negation[i], r, 2, Qt::AlignCenter);
        rows->addWidget(Oper[i], r, 3);
        Set_Preferred_Width(Field[i], px(Field_Width));
        Set_Preferred_Width(Oper[i], px(Oper_Width));
        // The value, its "?" against it, then the description, which takes what is left.
        auto* value = new QHBoxLayout;
        value->setSpacing(0);
        value->addWidget(txtFields[i]);
        value->addWidget(ListFields[i]);
        value->addWidget(Find_Ref[i]);
        description_gap_[static_cast<size_t>(i)] = new QSpacerItem(px(Gap), 0, QSizePolicy::Fixed);
        value->addSpacerItem(description_gap_[static_cast<size_t>(i)]);
        value->addWidget(lblDescription[i], 1);
        value->addStretch(0);  // a row without a value still lets the column grow
        lblDescription[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        Find_Ref[i]->setFixedWidth(px(Find_Ref_Size));
        value_width_[static_cast<size_t>(i)] = Value_Width;
        rows->addLayout(value, r, 4);
    }
    rows->addWidget(Line1[1], 2 + Nb_Rows, 0, 1, 5);
    rows->setColumnStretch(4, 1);
    rows->setColumnMinimumWidth(0, px(Active_Column));
    window->addLayout(rows);

    // The combination, Submit and the display options side by side.
    // Tight margins and gaps: on a small screen the row must still fit across.
    const int tight = px(Tight);
    auto* combination = new QHBoxLayout(Critere_Oper);
    combination->setContentsMargins(tight, tight, tight, tight);
    combination->setSpacing(tight);
    combination->addWidget(Critere_Oper_And);
    combination->addWidget(Critere_Oper_Or);
    Set_Preferred_Width(Critere_Oper, px(Critere_Oper_Width));
    // "Adjust Cell Size" at its place; "Multi-Columns Sort" and the language list share
    // what is left of the frame in equal gaps, so the three sit side by side.
    auto* display = new QHBoxLayout(Frame1);
    display->setContentsMargins(tight, tight, tight, tight);
    display->setSpacing(0);
    display->addWidget(CellAutoSize);
    display->addSpacing(tight);
    display->addStretch(1);
    display->addWidget(AdvancedSort);
    display->addSpacing(tight);
    display->addStretch(1);
    display->addWidget(Choosen_Language);
    display->addStretch(1);
    Choosen_Language->setMinimumContentsLength(2);
    Set_Preferred_Width(Frame1, px(Frame1_Width));
    Set_Preferred_Width(Submit, px(Submit_Width));
    auto* options = new QHBoxLayout;
    options->addSpacing(px(Options_Gap) - tight);
    options->setSpacing(tight);
    options->addWidget(Critere_Oper);
    options->addWidget(Submit, 0, Qt::AlignBottom);
    options->addWidget(Frame1);
    options->addStretch(1);
    window->addLayout(options);

    window->addWidget(Data, 1);

    output_->Set_Sizes(px(Button_Width), px(Nb_Records_Width), px(Copyright_Width), px(Gap));
    window->addWidget(output_);

    Fit_To_Screen();
}

void Search::Fit_To_Screen() {
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
    for (QGroupBox* group : {Critere_Oper, Frame1}) group->layout()->activate();
}

void Search::Apply_Value_Box_Width(int Index) {
    QLineEdit* box = txtFields[Index];
    // The width the rule gives, but never less than the box's longest value takes in its
    // font (the rule was made for one font; three capitals must not scroll).
    int w = Chars(value_width_[static_cast<size_t>(Index)]);
    const int shown = shown_length_[static_cast<size_t>(Index)];
    if (shown > 0 && shown <= 64) {
        const QFontMetrics fm(box->font());
        QStyleOptionFrame frame;
        frame.initFrom(box);
        const QSize text(fm.horizontalAdvance(QString(shown, QLatin1Char('W'))), fm.height());
        w = std::max(w, box->style()->sizeFromContents(QStyle::CT_LineEdit, &frame, text + QSize(8, 4), box).width());
    }
    // A long text field asks for far more room than the window has: the layout narrows
    // the box, which keeps its maximum length and scrolls.
    Set_Preferred_Width(box, w);
    box->setMinimumWidth(std::min(w, Chars(Value_Width)));
    Set_Preferred_Width(ListFields[Index], w + Chars(List_Extra));
    // Short values keep their descriptions in one column.
    const int used = (box->isHidden() ? ListFields[Index]->sizeHint().width() : w) +
                     (Find_Ref[Index]->isHidden() ? 0 : Find_Ref[Index]->width());
    const int gap = std::max(Chars(Gap), Chars(Description_Column) - used);
    description_gap_[static_cast<size_t>(Index)]->changeSize(gap, 0, QSizePolicy::Fixed);
    if (layout()) layout()->invalidate();
}
