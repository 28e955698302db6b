// The criterion rows of the search window: field and operator lists, how a value is
// entered, and the value boxes with their check and the code picker.
#include "views/Search.h"

#include "model/Session.h"
#include "search/Criteria_Form.h"
#include "views/Output_Buttons.h"
#include "views/Select_Ref.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCompleter>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardItemModel>

namespace {
// Shows "DE  Germany", writes "DE".
class Code_Completer : public QCompleter {
public:
    using QCompleter::QCompleter;
    QString pathFromIndex(const QModelIndex& index) const override { return index.data(Qt::UserRole).toString(); }
};
}  // namespace

void Search::Init_Field_Fields() {
    std::array<std::optional<qint32>, Nb_Rows> remembered;
    for (int i = 0; i < Nb_Rows; ++i) remembered[static_cast<size_t>(i)] = Field_Item(i);

    const QList<Field_Entry> entries = Field_Entries(Session_In_Use.Description(), Session_In_Use.Language());
    filling_fields_ = true;
    for (int i = 0; i < Nb_Rows; ++i) {
        const QSignalBlocker block(Field[i]);
        Field[i]->clear();
        for (const Field_Entry& e : entries) Field[i]->addItem(e.Text, e.Item);
        Field[i]->setCurrentIndex(-1);
    }
    filling_fields_ = false;

    // Each row gets its field back; reselecting it rebuilds the operators in the
    // language and keeps the operator.
    for (int i = 0; i < Nb_Rows; ++i) {
        const auto& r = remembered[static_cast<size_t>(i)];
        if (!r) continue;
        const int k = Field[i]->findData(*r);
        if (k >= 0)
            Field[i]->setCurrentIndex(k);
        else
            Field_Click(i);
    }
}

void Search::Field_Click(int Index) {
    const std::optional<qint32> item = Field_Item(Index);
    if (!item) {
        for (QWidget* w : {static_cast<QWidget*>(Negation[Index]), static_cast<QWidget*>(Oper[Index]),
                           static_cast<QWidget*>(txtFields[Index]), static_cast<QWidget*>(lblDescription[Index]),
                           static_cast<QWidget*>(ListFields[Index])})
            w->hide();
        Find_Ref[Index]->hide();
        return;
    }
    const qint32 remembered = Oper_Code(Index).value_or(-1);
    int keep = -1;
    {
        const QSignalBlocker block(Oper[Index]);
        Oper[Index]->clear();
        for (qint32 code : Offered_Operators(Session_In_Use.Description(), *item)) {
            Oper[Index]->addItem(Operator_Lib(code, Session_In_Use.Language()), code);
            if (code == remembered) keep = Oper[Index]->count() - 1;
        }
        Oper[Index]->setCurrentIndex(-1);
    }
    // A list of one entry is disabled, so that entry is the row's operator.
    if (keep < 0 && Oper[Index]->count() == 1) keep = 0;
    if (keep >= 0)
        Oper[Index]->setCurrentIndex(keep);
    else
        Oper_Click(Index);  // the operator went: so do the value controls
    Negation[Index]->show();
    Oper[Index]->show();
    Oper[Index]->setEnabled(Oper[Index]->count() != 1 && Critere_Actif[Index]->isChecked());
}

void Search::Oper_Click(int Index) {
    const std::optional<qint32> item = Field_Item(Index);
    const std::optional<qint32> oper = Oper_Code(Index);
    QLineEdit* box = txtFields[Index];
    if (!item) return;
    const Value_Entry e = Value_Entry_For(Session_In_Use.Description(), *item, oper);
    if (e.kind != Value_Entry::Kind::Hidden || *item == Any_Fields) {
        // The rule counts a hundred twips for a character of the font it was made for.
        value_width_[static_cast<size_t>(Index)] = e.Width_Twips / 100.0;
        shown_length_[static_cast<size_t>(Index)] = e.Shown_Length;
        box->setMaxLength(e.Max_Length > 0 ? e.Max_Length : 32767);
    }
    Set_Code_Completer(Index, *item, e);
    switch (e.kind) {
    case Value_Entry::Kind::Hidden:
        box->hide();
        ListFields[Index]->hide();
        lblDescription[Index]->hide();
        break;
    case Value_Entry::Kind::Text_Box:
        box->show();
        ListFields[Index]->hide();
        lblDescription[Index]->setVisible(e.Show_Description);
        if (e.Show_Description) {
            const Champ* f = Field_Of_Item(Session_In_Use.Description(), *item);
            lblDescription[Index]->setText(f ? To_Text(f->Get_Data(box->text(), QStringLiteral("V"))) : QString());
        }
        break;
    case Value_Entry::Kind::Label_List: {
        Drop_Down_List* list = ListFields[Index];
        {
            const QSignalBlocker block(list);
            list->clear();
            list->addItems(e.List_Labels);
            list->setCurrentIndex(e.List_Labels.indexOf(box->text()));
        }
        // The box holds the label the list writes; a length limit would cut it.
        box->setMaxLength(32767);
        list->show();
        box->hide();
        lblDescription[Index]->hide();
        break;
    }
    }
    Find_Ref[Index]->setVisible(e.Takes_Typed_Code());
    Find_Ref[Index]->setEnabled(Critere_Actif[Index]->isChecked());
    Apply_Value_Box_Width(Index);
}

void Search::Set_Code_Completer(int Index, qint32 item, const Value_Entry& e) {
    QLineEdit* box = txtFields[Index];
    if (!e.Takes_Typed_Code()) {
        box->setCompleter(nullptr);
        return;
    }
    QCompleter*& completer = code_completer_[static_cast<size_t>(Index)];
    if (!completer) {
        // Owned by the window: a box deletes the completers it owns when it is given another.
        completer = new Code_Completer(new QStandardItemModel(this), this);
        completer->setObjectName(QStringLiteral("Code_Completer_%1").arg(Index));
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setFilterMode(Qt::MatchContains);
        completer->setCompletionMode(QCompleter::PopupCompletion);
        completer->setMaxVisibleItems(12);
    }
    auto* model = static_cast<QStandardItemModel*>(completer->model());
    model->clear();
    for (const Code_Choice& c : Code_Choices(Session_In_Use.Description(), item)) {
        auto* entry = new QStandardItem(c.Code + QStringLiteral("  ") + c.Label);
        entry->setData(c.Code, Qt::UserRole);
        model->appendRow(entry);
    }
    // The list is as wide as its entries, not as the box.
    QAbstractItemView* popup = completer->popup();
    popup->setMinimumWidth(popup->sizeHintForColumn(0) + popup->verticalScrollBar()->sizeHint().width() +
                           2 * popup->frameWidth());
    box->setCompleter(completer);
}

void Search::Critere_Actif_Click(int Index) {
    const bool on = Critere_Actif[Index]->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(Field[Index]), static_cast<QWidget*>(Negation[Index]),
                       static_cast<QWidget*>(txtFields[Index]), static_cast<QWidget*>(lblDescription[Index]),
                       static_cast<QWidget*>(ListFields[Index]), static_cast<QWidget*>(Find_Ref[Index])})
        w->setEnabled(on);
    Oper[Index]->setEnabled(on && Oper[Index]->count() != 1);
}

void Search::ListFields_Click(int Index) {
    const QComboBox* list = ListFields[Index];
    txtFields[Index]->setText(list->currentIndex() >= 0 ? list->currentText() : QString());
}

void Search::Field_DropDown(int Index) { Fit_Drop_Down_List(Field[Index], Height_Of(this)); }
void Search::Oper_DropDown(int Index) { Fit_Drop_Down_List(Oper[Index], Height_Of(this)); }
void Search::ListFields_DropDown(int Index) { Fit_Drop_Down_List(ListFields[Index], Height_Of(this)); }

// ------------------------------------------------------------------ value boxes

void Search::txtFields_Change(int Index) {
    const std::optional<qint32> item = Field_Item(Index);
    const std::optional<qint32> oper = Oper_Code(Index);
    if (!item || !oper || *oper < Op_Equal || *oper > Op_Equal_Or_Superior ||
        !Row_Is_Coded(Session_In_Use.Description(), *item))
        return;
    lblDescription[Index]->setText(
        Value_Description(Session_In_Use.Description(), *item, oper, txtFields[Index]->text()));
}

void Search::txtFields_Validate(int Index, bool& Cancel) {
    Cancel = false;
    const QString text = txtFields[Index]->text();
    const std::optional<qint32> item = Field_Item(Index);
    const QString message =
        item ? Check_Criterion_Value(Session_In_Use.Description(), *item, Oper_Code(Index), text) : QString();
    if (message.isEmpty()) {
        // "de" or "germany" is written back as the code its table spells: "DE".
        const QString spelled =
            item ? Value_As_Table_Spells(Session_In_Use.Description(), *item, Oper_Code(Index), text) : text;
        if (spelled != text) txtFields[Index]->setText(spelled);
        accepted_[static_cast<size_t>(Index)] = spelled;
        return;
    }
    validating_ = true;
    Message_Box(message, Msg_Buttons::OK, Msg_Icon::None, QString(), this);
    validating_ = false;
    Cancel = true;
}

void Search::txtFields_LostFocus(int Index) { Last_Value_Box = txtFields[Index]; }

bool Search::Leave_Check(int Index) {
    bool cancel = false;
    txtFields_Validate(Index, cancel);
    if (cancel) txtFields[Index]->setFocus(Qt::OtherFocusReason);
    return !cancel;
}

bool Search::Skips_Value_Check(const QWidget* w, int Index) const {
    return w == Find_Ref[Index] || output_->Is_Close(w);
}

void Search::Value_Box_Left(int Index, QWidget* next, Qt::FocusReason reason) {
    if (validating_) return;
    // Leaving the window (another window, a message box) is not leaving the box.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || !next || !isAncestorOf(next) ||
        Skips_Value_Check(next, Index) || txtFields[Index]->text() == accepted_[static_cast<size_t>(Index)]) {
        if (next && isAncestorOf(next)) txtFields_LostFocus(Index);
        return;
    }
    if (Leave_Check(Index)) txtFields_LostFocus(Index);
}

bool Search::Focus_Event(QObject* watched, QEvent* e) {
    QWidget* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    const int row = Row_Of(w);
    switch (e->type()) {
    case QEvent::FocusOut:
        if (row >= 0) Value_Box_Left(row, QApplication::focusWidget(), static_cast<QFocusEvent*>(e)->reason());
        break;
    case QEvent::KeyPress:
        if (row >= 0) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !Leave_Check(row)) return true;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A click elsewhere in the window first checks the box being left; a refused
        // value keeps the focus and the click does nothing.
        const int focused = Row_Of(QApplication::focusWidget());
        if (focused < 0 || w == txtFields[focused] || Skips_Value_Check(w, focused) || validating_) break;
        if (txtFields[focused]->text() == accepted_[static_cast<size_t>(focused)]) break;
        if (!Leave_Check(focused)) return true;
        break;
    }
    default: break;
    }
    return false;
}

void Search::Find_Ref_Click(int row) {
    if (row < 0 || row >= Nb_Rows) return;
    QLineEdit* box = txtFields[row];
    const std::optional<qint32> item = Field_Item(row);
    Champ* f = item ? Field_Of_Item(Session_In_Use.Description(), *item) : nullptr;
    if (!f) return;
    Select_Ref picker(Session_In_Use, this);
    picker.Cur_Control = box;
    picker.Cur_Champ = f;
    picker.Form_Load();
    box->setFocus(Qt::OtherFocusReason);
    picker.exec();
    // A picked code is one of the table's.
    if (picker.c_est_ok) accepted_[static_cast<size_t>(row)] = box->text();
}
