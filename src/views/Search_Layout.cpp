// Geometry of the search window, in twips as the window was drawn.
#include "views/Search.h"

#include "views/Grid_Widget.h"
#include "winsupport/Twips.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cmath>

namespace {
// The rows: row i has its top at Row_Top + Row_Step * i, check boxes 60 lower.
constexpr int Row_Top = 360, Row_Step = 360, Check_Offset = 60;
constexpr int Heading_Top = 0, Heading_Height = 255;
constexpr int Line_Top_0 = 300, Line_Top_1 = 1470, Line_Left = 120;
constexpr int Value_Left = 6480, Description_Left = 7680, Find_Ref_Size = 255;

constexpr int Options_Top = 1560, Options_Height = 660;
constexpr int Critere_Oper_Left = 120, Critere_Oper_Width = 3855;
constexpr int Submit_Left = 4140, Submit_Top = 1740;
constexpr int Frame1_Left = 5520, Frame1_Width = 4935;
constexpr int CellAutoSize_Left = 300, CellAutoSize_Width = 1455;
constexpr int AdvancedSort_Width = 1695, Language_Width = 615, Language_Height = 315;
constexpr int Frame_Control_Top = 300;

constexpr int Grid_Left = 60, Grid_Top = 2340;
constexpr int Button_Width = 1215, Button_Height = 375;
constexpr int Close_Left = 120, Export_Left = 1440, Print_Left = 2760, Counts_Left = 4080;
constexpr int Nb_Records_Width = 2400, Label_Height = 255, Copyright_Width = 2400;

// The window's outer size is its inner size plus the classic sizable frame and caption,
// so the layout does not depend on the window manager.
constexpr int Frame_Extra_Width = 120, Frame_Extra_Height = 405;

// Smallest inner size at which every fixed control keeps its place uncut.
constexpr int Min_Width = Frame1_Left + Frame1_Width + 240, Min_Height = 5400;
}  // namespace

void Search::Place(QWidget* w, int left, int top, int width, int height) { Place_Twips(w, left, top, width, height); }

int Search::Left_Of(const QWidget* w) const { return w ? Pixels_To_Twips_X(w->x(), this) : 0; }
int Search::Top_Of(const QWidget* w) const { return w ? Pixels_To_Twips_Y(w->y(), this) : 0; }
int Search::Width_Of(const QWidget* w) const { return w ? Pixels_To_Twips_X(w->width(), this) : 0; }
int Search::Height_Of(const QWidget* w) const { return w ? Pixels_To_Twips_Y(w->height(), this) : 0; }

void Search::Place_Design_Geometry() {
    // A heading is never cut: wider in this font than drawn, it pushes the next one on.
    const int actif_w = std::max(480, Pixels_To_Twips_X(Lbl_Actif->sizeHint().width(), this));
    Place(Lbl_Actif, 120, Heading_Top, actif_w, Heading_Height);
    Place(Lbl_Field, std::max(660, 120 + actif_w + 60), Heading_Top, 1500, Heading_Height);
    Place(Lbl_Not, 4530, Heading_Top, 330, Heading_Height);
    Place(Lbl_Oper, 4860, Heading_Top, 1500, Heading_Height);
    Place(Lbl_Value, Value_Left, Heading_Top, 1500, Heading_Height);
    Place(Line1[0], Line_Left, Line_Top_0, Design_Width - 260 - Line_Left, 15);
    Place(Line1[1], Line_Left, Line_Top_1, Design_Width - 260 - Line_Left, 15);

    for (int i = 0; i < Nb_Rows; ++i) {
        const int top = Row_Top + Row_Step * i;
        Place(Critere_Actif[i], 240, top + Check_Offset, 315, 195);
        Place(Field[i], 600, top, 3795, 315);
        Place(Negation[i], 4560, top + Check_Offset, 195, 195);
        Place(Oper[i], 4860, top, 1575, 315);
        Place(txtFields[i], Value_Left, top, 1125, 285);
        Place(ListFields[i], Value_Left, top, 2355, 315);
        Place(lblDescription[i], Description_Left, top, 5145, 285);
        value_width_[static_cast<size_t>(i)] = 1125;
    }
    Place(Find_Ref, Value_Left + 1125, Row_Top, Find_Ref_Size, Find_Ref_Size);

    Place(Critere_Oper, Critere_Oper_Left, Options_Top, Critere_Oper_Width, Options_Height);
    Place(Critere_Oper_And, 120, Frame_Control_Top, 1815, 255);
    Place(Critere_Oper_Or, 2040, Frame_Control_Top, 1695, 255);
    Place(Submit, Submit_Left, Submit_Top, Button_Width, Button_Height);
    Place(Frame1, Frame1_Left, Options_Top, Frame1_Width, Options_Height);
    Place(CellAutoSize, CellAutoSize_Left, Frame_Control_Top, CellAutoSize_Width, 255);
    Place(AdvancedSort, 2040, Frame_Control_Top, AdvancedSort_Width, 255);
    Place(Choosen_Language, 4020, Frame_Control_Top - 30, Language_Width, Language_Height);

    Place(Data, Grid_Left, Grid_Top, Design_Width + Frame_Extra_Width - 260, 4000);
    Place(Nb_Records, 5400, 6600, Nb_Records_Width, Label_Height);
    Place(cmdClose, Close_Left, 7000, Button_Width, Button_Height);
    Place(cmdExport, Export_Left, 7000, Button_Width, Button_Height);
    Place(cmdPrint, Print_Left, 7000, Button_Width, Button_Height);
    Place(cmdCounts, Counts_Left, 7000, Button_Width, Button_Height);
    Place(CmdHelp, Design_Width - Button_Width - 40, 7000, Button_Width, Button_Height);
    Place(Copyright, 8000, 7000, Copyright_Width, Label_Height);
    Place(Hidden_Label_With_WordWrap, 0, 0, 1000, 255);
    Place(Hidden_Label_Without_WordWrap, 0, 0, 1000, 255);

    setMinimumSize(Twips_To_Pixels_X(Min_Width, this), Twips_To_Pixels_Y(Min_Height, this));
    resize(Twips_To_Pixels_X(Design_Width, this), Twips_To_Pixels_Y(Design_Height, this));
}

// "Adjust Cell Size" keeps its place; "Multi-Columns Sort" and the language list share
// what is left of the frame in equal gaps, so the three sit side by side. A caption
// wider than its design width (another font) widens its box, and the frame with it.
void Search::Place_Display_Options() {
    const auto fit = [this](QWidget* w, int design) {
        return std::max(design, Pixels_To_Twips_X(w->sizeHint().width(), this));
    };
    const int auto_w = fit(CellAutoSize, CellAutoSize_Width);
    const int sort_w = fit(AdvancedSort, AdvancedSort_Width);
    const int lang_w = fit(Choosen_Language, Language_Width);
    const int used = CellAutoSize_Left + auto_w;
    constexpr int Min_Gap = 150;
    const int frame_w = std::max(Frame1_Width, used + sort_w + lang_w + 3 * Min_Gap);
    const int g = static_cast<int>(std::lround((frame_w - used - sort_w - lang_w) / 3.0));
    Place(Frame1, Frame1_Left, Options_Top, frame_w, Options_Height);
    Place(CellAutoSize, CellAutoSize_Left, Frame_Control_Top, auto_w, 255);
    Place(AdvancedSort, used + g, Frame_Control_Top, sort_w, 255);
    Place(Choosen_Language, used + g + sort_w + g, Frame_Control_Top - 30, lang_w, Language_Height);
    setMinimumWidth(std::max(minimumWidth(), Twips_To_Pixels_X(Frame1_Left + frame_w + 240, this)));
}

int Search::Criteria_Right_Edge() const { return Left_Of(Data) + Width_Of(Data); }

void Search::Apply_Value_Box_Width(int Index) {
    // A long text field asks for far more room than the window has; the box keeps its
    // maximum length and scrolls.
    const int room = std::max(Criteria_Right_Edge() - Value_Left - Find_Ref_Size, 300);
    QLineEdit* box = txtFields[Index];
    // The width the rule gives, but never less than the box's longest value takes in its
    // font (the rule was made for one font; three capitals must not scroll).
    int w = value_width_[static_cast<size_t>(Index)];
    const int shown = shown_length_[static_cast<size_t>(Index)];
    if (shown > 0 && shown <= 64) {
        const QFontMetrics fm(box->font());
        QStyleOptionFrame frame;
        frame.initFrom(box);
        const QSize text(fm.horizontalAdvance(QString(shown, QLatin1Char('W'))), fm.height());
        const int needed = box->style()->sizeFromContents(QStyle::CT_LineEdit, &frame, text + QSize(8, 4), box).width();
        w = std::max(w, Pixels_To_Twips_X(needed, this));
    }
    w = std::min(w, room);
    Place(box, Value_Left, Top_Of(box), w, 285);
    Place(ListFields[Index], Value_Left, Top_Of(ListFields[Index]), std::min(w + 240, room), 315);
    if (find_ref_row_ == Index && Find_Ref->isVisible())
        Place(Find_Ref, Left_Of(box) + Width_Of(box), Top_Of(box), Find_Ref_Size, Find_Ref_Size);
    // The description follows the box, up to the grid's right edge.
    const int description_left = std::max(Description_Left, Value_Left + w + Find_Ref_Size + 60);
    Place(lblDescription[Index], description_left, Top_Of(lblDescription[Index]),
          std::max(Criteria_Right_Edge() - description_left, 0), Label_Height);
}

void Search::Form_Resize() {
    if (!Data) return;
    const int SW = Pixels_To_Twips_X(width(), this), SH = Pixels_To_Twips_Y(height(), this);
    const int W = SW + Frame_Extra_Width, H = SH + Frame_Extra_Height;
    const auto non_negative = [](int v) { return std::max(v, 0); };

    const int grid_top = Top_Of(Data);
    Place(Data, Left_Of(Data), grid_top, non_negative(W - 260), non_negative(H - 1060 - grid_top));
    for (QFrame* l : Line1) Place(l, Left_Of(l), Top_Of(l), non_negative(W - 260 - Left_Of(l)), 15);
    const int grid_bottom = grid_top + Height_Of(Data);

    for (int i = 0; i < Nb_Rows; ++i) Apply_Value_Box_Width(i);

    const int count_top = std::max(H - 960, grid_bottom + 60);
    const int buttons_top = std::max(H - 1060, grid_bottom + 210);
    for (QPushButton* b : {cmdExport, cmdClose, cmdPrint, cmdCounts, CmdHelp})
        Place(b, Left_Of(b), buttons_top, Width_Of(b), Height_Of(b));
    const int copyright_top = std::max(SH - Height_Of(Copyright), buttons_top);
    const int buttons_right = Left_Of(cmdCounts) + Width_Of(cmdCounts);
    const int count_left = std::max(buttons_right + 100, (SW - Width_Of(Nb_Records)) / 2);
    Place(Nb_Records, count_left, count_top, Width_Of(Nb_Records), Height_Of(Nb_Records));
    const int help_left = std::max(SW - Width_Of(CmdHelp) - 40, buttons_right + Width_Of(Copyright) + 100);
    Place(CmdHelp, help_left, buttons_top, Width_Of(CmdHelp), Height_Of(CmdHelp));
    Place(Copyright, help_left - Width_Of(Copyright) - 60, copyright_top, Width_Of(Copyright), Height_Of(Copyright));
    if (CommandHeader) CommandHeader->hide();
}
