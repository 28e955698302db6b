// The criterion rows of the search window: field and operator lists, how a value is
// entered, and the value boxes with their check and the code picker.
#include "views/Criteria_Rows.h"

#include "model/Session.h"
#include "search/Criteria_Form.h"
#include "views/Code_Picker.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCompleter>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace {
// Shows "DE  Germany", writes "DE".
class Code_Completer : public QCompleter {
public:
    using QCompleter::QCompleter;
    QString pathFromIndex(const QModelIndex& index) const override { return index.data(Qt::UserRole).toString(); }
};
}  // namespace

void Criteria_Rows::Fill_Field_Lists() {
    std::array<std::optional<qint32>, Row_Count> remembered;
    for (int i = 0; i < Row_Count; ++i) remembered[static_cast<size_t>(i)] = Field_Item(i);

    const QList<Field_Entry> entries = Field_Entries(Session_In_Use.Description(), Session_In_Use.Language());
    filling_fields_ = true;
    for (int i = 0; i < Row_Count; ++i) {
        const QSignalBlocker block(Field[i]);
        Field[i]->clear();
        for (const Field_Entry& e : entries) Field[i]->addItem(e.Text, e.Item);
        Field[i]->setCurrentIndex(-1);
    }
    filling_fields_ = false;

    // Each row gets its field back; reselecting it rebuilds the operators in the
    // language and keeps the operator.
    for (int i = 0; i < Row_Count; ++i) {
        const auto& r = remembered[static_cast<size_t>(i)];
        if (!r) continue;
        const int k = Field[i]->findData(*r);
        if (k >= 0)
            Field[i]->setCurrentIndex(k);
        else
            Field_Chosen(i);
    }
}

void Criteria_Rows::Field_Chosen(int Index) {
    const std::optional<qint32> item = Field_Item(Index);
    if (!item) {
        for (QWidget* w :
             {static_cast<QWidget*>(Negation[Index]), static_cast<QWidget*>(Operator[Index]),
              static_cast<QWidget*>(Value_Text[Index]), static_cast<QWidget*>(Value_Description_Label[Index]),
              static_cast<QWidget*>(Value_List[Index])})
            w->hide();
        Picker_Button[Index]->hide();
        return;
    }
    const qint32 remembered = Oper_Code(Index).value_or(-1);
    int keep = -1;
    {
        const QSignalBlocker block(Operator[Index]);
        Operator[Index]->clear();
        for (qint32 code : Offered_Operators(Session_In_Use.Description(), *item)) {
            Operator[Index]->addItem(Operator_Label(code, Session_In_Use.Language()), code);
            if (code == remembered) keep = Operator[Index]->count() - 1;
        }
        Operator[Index]->setCurrentIndex(-1);
    }
    // A list of one entry is disabled, so that entry is the row's operator.
    if (keep < 0 && Operator[Index]->count() == 1) keep = 0;
    if (keep >= 0)
        Operator[Index]->setCurrentIndex(keep);
    else
        Operator_Chosen(Index);  // the operator went: so do the value controls
    Negation[Index]->show();
    Operator[Index]->show();
    Operator[Index]->setEnabled(Operator[Index]->count() != 1 && Active[Index]->isChecked());
}

void Criteria_Rows::Operator_Chosen(int Index) {
    const std::optional<qint32> item = Field_Item(Index);
    const std::optional<qint32> oper = Oper_Code(Index);
    QLineEdit* box = Value_Text[Index];
    if (!item) return;
    const Value_Entry e = Value_Entry_For(Session_In_Use.Description(), *item, oper);
    if (e.kind != Value_Entry::Kind::Hidden || *item == Any_Fields) {
        value_width_[static_cast<size_t>(Index)] = e.Width_Chars;
        shown_length_[static_cast<size_t>(Index)] = e.Shown_Length;
        box->setMaxLength(e.Max_Length > 0 ? e.Max_Length : 32767);
    }
    Set_Code_Completer(Index, *item, e);
    switch (e.kind) {
    case Value_Entry::Kind::Hidden:
        box->hide();
        Value_List[Index]->hide();
        Value_Description_Label[Index]->hide();
        break;
    case Value_Entry::Kind::Text_Box:
        box->show();
        Value_List[Index]->hide();
        Value_Description_Label[Index]->setVisible(e.Show_Description);
        if (e.Show_Description) {
            const Field_Def* f = Field_Of_Item(Session_In_Use.Description(), *item);
            Value_Description_Label[Index]->setText(f ? To_Text(f->Label_Of(box->text())) : QString());
        }
        break;
    case Value_Entry::Kind::Label_List: {
        Drop_Down_List* list = Value_List[Index];
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
        Value_Description_Label[Index]->hide();
        break;
    }
    }
    Picker_Button[Index]->setVisible(e.Takes_Typed_Code());
    Picker_Button[Index]->setEnabled(Active[Index]->isChecked());
    Apply_Value_Box_Width(Index);
}

void Criteria_Rows::Set_Code_Completer(int Index, qint32 item, const Value_Entry& e) {
    QLineEdit* box = Value_Text[Index];
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

void Criteria_Rows::Active_Toggled(int Index) {
    const bool on = Active[Index]->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(Field[Index]), static_cast<QWidget*>(Negation[Index]),
                       static_cast<QWidget*>(Value_Text[Index]), static_cast<QWidget*>(Value_Description_Label[Index]),
                       static_cast<QWidget*>(Value_List[Index]), static_cast<QWidget*>(Picker_Button[Index])})
        w->setEnabled(on);
    Operator[Index]->setEnabled(on && Operator[Index]->count() != 1);
}

void Criteria_Rows::Value_List_Chosen(int Index) {
    const QComboBox* list = Value_List[Index];
    Value_Text[Index]->setText(list->currentIndex() >= 0 ? list->currentText() : QString());
}

void Criteria_Rows::Fit_List(Drop_Down_List* list) const { Fit_Drop_Down_List(list, window()->height()); }

// ------------------------------------------------------------------ value boxes

void Criteria_Rows::Value_Edited(int Index) {
    const std::optional<qint32> item = Field_Item(Index);
    const std::optional<qint32> oper = Oper_Code(Index);
    if (!item || !oper || *oper < Op_Equal || *oper > Op_Equal_Or_Superior ||
        !Row_Is_Coded(Session_In_Use.Description(), *item))
        return;
    Value_Description_Label[Index]->setText(
        Value_Description(Session_In_Use.Description(), *item, oper, Value_Text[Index]->text()));
}

void Criteria_Rows::Check_Value_On_Leave(int Index, bool& Cancel) {
    Cancel = false;
    const QString text = Value_Text[Index]->text();
    const std::optional<qint32> item = Field_Item(Index);
    const QString message =
        item ? Check_Criterion_Value(Session_In_Use.Description(), *item, Oper_Code(Index), text, Ignore_Accents)
             : QString();
    if (message.isEmpty()) {
        // "de" or "germany" is written back as the code its table spells: "DE".
        const QString spelled =
            item ? Value_As_Table_Spells(Session_In_Use.Description(), *item, Oper_Code(Index), text, Ignore_Accents)
                 : text;
        if (spelled != text) Value_Text[Index]->setText(spelled);
        accepted_[static_cast<size_t>(Index)] = spelled;
        return;
    }
    validating_ = true;
    Message_Box(message, Msg_Buttons::OK, Msg_Icon::None, QString(), this);
    validating_ = false;
    Cancel = true;
}

void Criteria_Rows::Value_Box_Left_Focus(int Index) { Last_Value_Box = Value_Text[Index]; }

bool Criteria_Rows::Leave_Check(int Index) {
    bool cancel = false;
    Check_Value_On_Leave(Index, cancel);
    if (cancel) Value_Text[Index]->setFocus(Qt::OtherFocusReason);
    return !cancel;
}

bool Criteria_Rows::Skips_Value_Check(const QWidget* w, int Index) const {
    return w == Picker_Button[Index] || (Leaves_Unchecked && Leaves_Unchecked(w));
}

void Criteria_Rows::Value_Box_Left(int Index, QWidget* next, Qt::FocusReason reason) {
    if (validating_) return;
    // Leaving the window (another window, a message box) is not leaving the box.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || !next ||
        !window()->isAncestorOf(next) || Skips_Value_Check(next, Index) ||
        Value_Text[Index]->text() == accepted_[static_cast<size_t>(Index)]) {
        if (next && window()->isAncestorOf(next)) Value_Box_Left_Focus(Index);
        return;
    }
    if (Leave_Check(Index)) Value_Box_Left_Focus(Index);
}

bool Criteria_Rows::Focus_Event(QObject* watched, QEvent* e) {
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
            // F4 opens a list, here the code table the row's button opens.
            if (key == Qt::Key_F4 && w == Value_Text[row] && !Picker_Button[row]->isHidden() &&
                Picker_Button[row]->isEnabled()) {
                Open_Code_Picker(row);
                return true;
            }
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A click elsewhere in the window first checks the box being left; a refused
        // value keeps the focus and the click does nothing.
        const int focused = Row_Of(QApplication::focusWidget());
        if (focused < 0 || w == Value_Text[focused] || Skips_Value_Check(w, focused) || validating_) break;
        if (Value_Text[focused]->text() == accepted_[static_cast<size_t>(focused)]) break;
        if (!Leave_Check(focused)) return true;
        break;
    }
    default: break;
    }
    return false;
}

void Criteria_Rows::Open_Code_Picker(int row) {
    if (row < 0 || row >= Row_Count) return;
    QLineEdit* box = Value_Text[row];
    const std::optional<qint32> item = Field_Item(row);
    Field_Def* f = item ? Field_Of_Item(Session_In_Use.Description(), *item) : nullptr;
    if (!f) return;
    Code_Picker picker(Session_In_Use, this);
    picker.Target_Box = box;
    picker.Coded_Field = f;
    picker.Load();
    box->setFocus(Qt::OtherFocusReason);
    picker.exec();
    // A picked code is one of the table's.
    if (picker.Code_Chosen) accepted_[static_cast<size_t>(row)] = box->text();
}

// ------------------------------------------------------------------ the rows

namespace {

// Drawn sizes, in average characters of the window's font.
constexpr double Field_Width = 42, Oper_Width = 17.5, Value_Width = 12.5, List_Extra = 2.7;
constexpr double Description_Column = 13.3, Picker_Button_Size = 2.8, Gap = 0.7, Tight = 0.5, Active_Column = 5.3;
}  // namespace

Criteria_Rows::Criteria_Rows(Session& session, const std::function<int(double)>& chars, int row_height, QWidget* parent)
    : QWidget(parent), Session_In_Use(session), chars_(chars) {
    setObjectName(QStringLiteral("Criteria_Rows"));
    Active_Heading = Named(new QLabel(this), QStringLiteral("Active_Heading"));
    Field_Heading = Named(new QLabel(this), QStringLiteral("Field_Heading"));
    Not_Heading = Named(new QLabel(this), QStringLiteral("Not_Heading"));
    Operator_Heading = Named(new QLabel(this), QStringLiteral("Operator_Heading"));
    Value_Heading = Named(new QLabel(this), QStringLiteral("Value_Heading"));
    for (int k = 0; k < 2; ++k) {
        Separators[k] = Named(new QFrame(this), Indexed("Separators", k));
        Separators[k]->setFrameShape(QFrame::HLine);
        Separators[k]->setFrameShadow(QFrame::Sunken);
    }
    for (int i = 0; i < Row_Count; ++i) {
        Active[i] = Named(new QCheckBox(this), Indexed("Active", i));
        Field[i] = Named(new Drop_Down_List(this), Indexed("Field", i));
        Negation[i] = Named(new QCheckBox(this), Indexed("Negation", i));
        Operator[i] = Named(new Drop_Down_List(this), Indexed("Operator", i));
        Value_Text[i] = Named(new Sized<QLineEdit>(this), Indexed("Value_Text", i));
        Value_List[i] = Named(new Drop_Down_List(this), Indexed("Value_List", i));
        Value_Description_Label[i] = Named(new QLabel(this), Indexed("Value_Description_Label", i));
        Value_Description_Label[i]->setTextFormat(Qt::PlainText);
        Picker_Button[i] = Named(new QPushButton(QStringLiteral("?"), this), Indexed("Picker_Button", i));
        Picker_Button[i]->hide();
        Value_List[i]->hide();
        // The two unlabelled boxes of a row, by the row's number.
        Active[i]->setShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + i)));
        Negation[i]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)));
        for (QComboBox* c : {static_cast<QComboBox*>(Field[i]), static_cast<QComboBox*>(Operator[i]),
                             static_cast<QComboBox*>(Value_List[i])})
            c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    Set_Texts();
    Build_Layout(chars, row_height);
    Connect_Controls();
}

void Criteria_Rows::Set_Texts() {
    Active_Heading->setText(tr("Active"));
    Field_Heading->setText(tr("Field"));
    Not_Heading->setText(tr("Not"));
    Operator_Heading->setText(tr("Operator"));
    Value_Heading->setText(tr("Value"));
    for (QPushButton* b : Picker_Button)
        b->setToolTip(Tip_With_Keys(tr("Choose a code from the table"), QKeySequence(Qt::Key_F4)));
    // What a screen reader says of each control, the criterion's number included.
    for (int i = 0; i < Row_Count; ++i) {
        const int n = i + 1;
        Active[i]->setAccessibleName(tr("Criterion %1 active").arg(n));
        Active[i]->setToolTip(Tip_With_Keys(Active[i]->accessibleName(), Active[i]->shortcut()));
        Field[i]->setAccessibleName(tr("Field of criterion %1").arg(n));
        Negation[i]->setAccessibleName(tr("Not, criterion %1").arg(n));
        Negation[i]->setToolTip(Tip_With_Keys(Negation[i]->accessibleName(), Negation[i]->shortcut()));
        Operator[i]->setAccessibleName(tr("Operator of criterion %1").arg(n));
        Value_Text[i]->setAccessibleName(tr("Value of criterion %1").arg(n));
        Value_List[i]->setAccessibleName(tr("Value of criterion %1").arg(n));
        Picker_Button[i]->setAccessibleName(tr("Choose a code for criterion %1").arg(n));
    }
}

void Criteria_Rows::Build_Layout(const std::function<int(double)>& px, int row_height) {
    auto* rows = new QGridLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setHorizontalSpacing(px(Gap + Tight));
    rows->setVerticalSpacing(0);
    rows->addWidget(Active_Heading, 0, 0);
    rows->addWidget(Field_Heading, 0, 1);
    rows->addWidget(Not_Heading, 0, 2);
    rows->addWidget(Operator_Heading, 0, 3);
    rows->addWidget(Value_Heading, 0, 4);
    rows->addWidget(Separators[0], 1, 0, 1, 5);
    for (int i = 0; i < Row_Count; ++i) {
        const int r = 2 + i;
        rows->setRowMinimumHeight(r, row_height);
        rows->addWidget(Active[i], r, 0, Qt::AlignCenter);
        rows->addWidget(Field[i], r, 1);
        rows->addWidget(Negation[i], r, 2, Qt::AlignCenter);
        rows->addWidget(Operator[i], r, 3);
        Set_Preferred_Width(Field[i], px(Field_Width));
        Set_Preferred_Width(Operator[i], px(Oper_Width));
        // The value, its "?" against it, then the description, which takes what is left.
        auto* value = new QHBoxLayout;
        value->setSpacing(0);
        value->addWidget(Value_Text[i]);
        value->addWidget(Value_List[i]);
        value->addWidget(Picker_Button[i]);
        description_gap_[static_cast<size_t>(i)] = new QSpacerItem(px(Gap), 0, QSizePolicy::Fixed);
        value->addSpacerItem(description_gap_[static_cast<size_t>(i)]);
        value->addWidget(Value_Description_Label[i], 1);
        value->addStretch(0);  // a row without a value still lets the column grow
        Value_Description_Label[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        Picker_Button[i]->setFixedWidth(px(Picker_Button_Size));
        value_width_[static_cast<size_t>(i)] = Value_Width;
        rows->addLayout(value, r, 4);
    }
    rows->addWidget(Separators[1], 2 + Row_Count, 0, 1, 5);
    rows->setColumnStretch(4, 1);
    rows->setColumnMinimumWidth(0, px(Active_Column));
}

void Criteria_Rows::Connect_Controls() {
    for (int i = 0; i < Row_Count; ++i) {
        connect(Active[i], &QCheckBox::toggled, this, [this, i] { Active_Toggled(i); });
        connect(Field[i], &QComboBox::currentIndexChanged, this, [this, i] {
            if (!filling_fields_) Field_Chosen(i);
        });
        connect(Operator[i], &QComboBox::currentIndexChanged, this, [this, i] { Operator_Chosen(i); });
        connect(Value_List[i], &QComboBox::currentIndexChanged, this, [this, i] { Value_List_Chosen(i); });
        connect(Value_Text[i], &QLineEdit::textChanged, this, [this, i] { Value_Edited(i); });
        connect(Picker_Button[i], &QPushButton::clicked, this, [this, i] { Open_Code_Picker(i); });
        for (Drop_Down_List* list : {Field[i], Operator[i], Value_List[i]})
            list->DropDown = [this, list] { Fit_List(list); };
    }
}

void Criteria_Rows::Apply_Value_Box_Width(int Index) {
    QLineEdit* box = Value_Text[Index];
    // The width the rule gives, but never less than the box's longest value takes in its
    // font (the rule was made for one font; three capitals must not scroll).
    int w = chars_(value_width_[static_cast<size_t>(Index)]);
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
    box->setMinimumWidth(std::min(w, chars_(Value_Width)));
    Set_Preferred_Width(Value_List[Index], w + chars_(List_Extra));
    // Short values keep their descriptions in one column.
    const int used = (box->isHidden() ? Value_List[Index]->sizeHint().width() : w) +
                     (Picker_Button[Index]->isHidden() ? 0 : Picker_Button[Index]->width());
    const int gap = std::max(chars_(Gap), chars_(Description_Column) - used);
    description_gap_[static_cast<size_t>(Index)]->changeSize(gap, 0, QSizePolicy::Fixed);
    if (layout()) layout()->invalidate();
    updateGeometry();
}

Criterion_Row Criteria_Rows::Read_Row(int i) const {
    Criterion_Row r;
    r.Active = Active[i]->isChecked();
    r.Field = Field_Item(i);
    r.Operator = Oper_Code(i);
    r.Value_Text = Value_Text[i]->text();
    r.Negation = Negation[i]->isChecked();
    return r;
}

Criterion_Text Criteria_Rows::Row_Text(int i) const {
    Criterion_Text t;
    t.Usable = Read_Row(i).Usable();
    t.Field = Field[i]->currentText();
    t.Negation = Negation[i]->isChecked();
    t.Operator = Operator[i]->currentText();
    t.Oper_Code = Oper_Code(i).value_or(0);
    t.Description = Value_Description_Label[i]->text();
    t.Value = Value_Text[i]->text();
    return t;
}

std::optional<qint32> Criteria_Rows::Field_Item(int Index) const {
    const QComboBox* f = Field[Index];
    if (f->currentIndex() < 0) return std::nullopt;
    return f->currentData().toInt();
}

std::optional<qint32> Criteria_Rows::Oper_Code(int Index) const {
    const QComboBox* o = Operator[Index];
    if (o->currentIndex() < 0) return std::nullopt;
    return o->currentData().toInt();
}

int Criteria_Rows::Row_Of(const QWidget* box) const {
    for (int i = 0; i < Row_Count; ++i)
        if (Value_Text[i] == box) return i;
    return -1;
}

void Criteria_Rows::Clear_Rows() {
    for (int i = 0; i < Row_Count; ++i) {
        {
            const QSignalBlocker block(Active[i]);
            Active[i]->setChecked(false);
        }
        Field[i]->setCurrentIndex(-1);
        Field[i]->setEnabled(false);
        Negation[i]->setChecked(false);
        Operator[i]->setCurrentIndex(-1);
        Value_Text[i]->setText(QString());
        Active_Toggled(i);
    }
    Active[0]->setChecked(true);
    Field[0]->setEnabled(true);
    Fill_Field_Lists();
}

void Criteria_Rows::Set_Initial_Query() {
    Active[0]->setChecked(true);
    Field[0]->setCurrentIndex(Field[0]->count() > 1 ? 1 : -1);
    Negation[0]->setChecked(true);
    Operator[0]->setCurrentIndex(Operator[0]->count() > 8 ? 8 : -1);
}

int Criteria_Rows::First_Inactive_Row() const {
    for (int i = 0; i < Row_Count; ++i)
        if (!Active[i]->isChecked()) return i;
    return -1;
}

void Criteria_Rows::Fill_Row(int Index, const Criterion_Row& c) {
    Active[Index]->setChecked(true);
    if (c.Field) Field[Index]->setCurrentIndex(Field[Index]->findData(*c.Field));
    if (c.Operator) Operator[Index]->setCurrentIndex(Operator[Index]->findData(*c.Operator));
    Negation[Index]->setChecked(c.Negation);
    if (Value_List[Index]->isVisibleTo(this))
        Value_List[Index]->setCurrentIndex(Value_List[Index]->findText(c.Value_Text));
    Value_Text[Index]->setText(c.Value_Text);
    accepted_[static_cast<size_t>(Index)] = c.Value_Text;
}
