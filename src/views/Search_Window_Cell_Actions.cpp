// The menu of a result cell: filters made from its value, copying the selected cells,
// the counts of its column.
#include "views/Search_Window.h"

#include "model/Session.h"
#include "search/Criteria_Form.h"
#include "search/Result_Text.h"
#include "views/Criteria_Rows.h"
#include "views/Result_View.h"
#include "winsupport/Message_Service.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

qint32 Search_Window::Field_Of_Col(int col) const { return Results.Model.Field_At(col); }

QMenu* Search_Window::Build_Cell_Menu(int row, int col, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool record_row = Results.Model.Record_At(row) > 0;
    const bool field_col = Field_Of_Col(col) > 0;
    if (record_row && field_col) {
        menu->addAction(tr("Show &only this value"), this, [this, row, col] { Filter_From_Cell(row, col, false); });
        menu->addAction(tr("&Exclude this value"), this, [this, row, col] { Filter_From_Cell(row, col, true); });
        menu->addSeparator();
    }
    if (record_row) {
        QAction* copy = menu->addAction(tr("&Copy"), this, &Search_Window::Copy_Selection);
        copy->setShortcut(QKeySequence::Copy);
    }
    // Without a record in the result there is nothing to count.
    if (field_col && Results.Result_Rows() > 0) {
        const qint32 field = Field_Of_Col(col);
        menu->addAction(tr("Counts of this col&umn..."), this, [this, field] { emit Counts_Asked(field); });
    }
    return menu;
}

void Search_Window::Data_Context_Menu(int row, int col, QPoint global) {
    // A cell outside the selection becomes the current one, as in a spreadsheet.
    if (row >= 0 && col >= 0 && !Result_Grid->Selected_Range().contains(col, row))
        Result_Grid->setCurrentIndex(Results.Model.index(row, col));
    QMenu* menu = Build_Cell_Menu(row, col, this);
    if (!menu->isEmpty()) menu->exec(global);
    delete menu;
}

void Search_Window::Filter_From_Cell(int row, int col, bool Exclude) {
    const qint32 field = Field_Of_Col(col);
    const qint32 record = Results.Model.Record_At(row);
    if (field <= 0 || record < 1 || record > Session_In_Use.Records().Row_Upper() ||
        field > Session_In_Use.Records().Col_Upper())
        return;

    const int Index = Rows->First_Inactive_Row();
    if (Index < 0) {
        Message_Box(tr("The three criterion rows are all active: untick one to add a filter."), Msg_Buttons::OK,
                    Msg_Icon::Information, QString(), this);
        return;
    }
    // With Or, a second row would widen the result instead of narrowing it; with one
    // usable row, And means the same for it.
    const Criteria now = Read_Criteria();
    int usable = 0;
    for (const Criterion_Row& r : now.Rows) usable += r.Usable() ? 1 : 0;
    if (!now.Combine_With_And && usable > 1) {
        Message_Box(tr("The active rows are combined by \"Any active (Or)\": a filter would widen the "
                       "result. Choose \"All active (And)\" first."),
                    Msg_Buttons::OK, Msg_Icon::Information, QString(), this);
        return;
    }
    QString why;
    const auto c = Criterion_For_Cell(Session_In_Use.Description(), field, Session_In_Use.Records()(record, field),
                                      Exclude, Session_In_Use.Language(), why);
    if (!c) {
        Message_Box(why, Msg_Buttons::OK, Msg_Icon::Information, QString(), this);
        return;
    }

    if (usable == 1) Combine_With_And->setChecked(true);
    Rows->Fill_Row(Index, *c);
    Run_Search_Now();
}

void Search_Window::Copy_Selection() {
    if (Results.Result_Rows() < 1) return;
    const QRect range = Result_Grid->Selected_Range();
    if (range.isEmpty()) return;
    const QString text = Clip_Range_Text(Results.Model, range.top(), range.left(), range.bottom(), range.right(),
                                         [this](int col) { return !Result_Grid->isColumnHidden(col); });
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}
