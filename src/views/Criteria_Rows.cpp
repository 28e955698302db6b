// The criterion rows of the search window: field and operator lists, how a value is
// entered, and the value boxes with their check and the code picker.
#include "views/Criteria_Rows.h"

#include "model/Session.h"
#include "search/Criteria_Form.h"
#include "views/Select_Ref.h"
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

void Criteria_Rows::Init_Field_Fields() {
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

void Criteria_Rows::Field_Click(int Index) {
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

void Criteria_Rows::Oper_Click(int Index) {
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

void Criteria_Rows::Set_Code_Completer(int Index, qint32 item, const Value_Entry& e) {
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

void Criteria_Rows::Critere_Actif_Click(int Index) {
    const bool on = Critere_Actif[Index]->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(Field[Index]), static_cast<QWidget*>(Negation[Index]),
                       static_cast<QWidget*>(txtFields[Index]), static_cast<QWidget*>(lblDescription[Index]),
                       static_cast<QWidget*>(ListFields[Index]), static_cast<QWidget*>(Find_Ref[Index])})
        w->setEnabled(on);
    Oper[Index]->setEnabled(on && Oper[Index]->count() != 1);
}

void Criteria_Rows::ListFields_Click(int Index) {
    const QComboBox* list = ListFields[Index];
    txtFields[Index]->setText(list->currentIndex() >= 0 ? list->currentText() : QString());
}

void Criteria_Rows::Fit_List(Drop_Down_List* list) const { Fit_Drop_Down_List(list, window()->height()); }

// ------------------------------------------------------------------ value boxes

void Criteria_Rows::txtFields_Change(int Index) {
    const std::optional<qint32> item = Field_Item(Index);
    const std::optional<qint32> oper = Oper_Code(Index);
    if (!item || !oper || *oper < Op_Equal || *oper > Op_Equal_Or_Superior ||
        !Row_Is_Coded(Session_In_Use.Description(), *item))
        return;
    lblDescription[Index]->setText(
        Value_Description(Session_In_Use.Description(), *item, oper, txtFields[Index]->text()));
}

void Criteria_Rows::txtFields_Validate(int Index, bool& Cancel) {
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

void Criteria_Rows::txtFields_LostFocus(int Index) { Last_Value_Box = txtFields[Index]; }

bool Criteria_Rows::Leave_Check(int Index) {
    bool cancel = false;
    txtFields_Validate(Index, cancel);
    if (cancel) txtFields[Index]->setFocus(Qt::OtherFocusReason);
    return !cancel;
}

bool Criteria_Rows::Skips_Value_Check(const QWidget* w, int Index) const {
    return w == Find_Ref[Index] || (Leaves_Unchecked && Leaves_Unchecked(w));
}

void Criteria_Rows::Value_Box_Left(int Index, QWidget* next, Qt::FocusReason reason) {
    if (validating_) return;
    // Leaving the window (another window, a message box) is not leaving the box.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || !next ||
        !window()->isAncestorOf(next) || Skips_Value_Check(next, Index) ||
        txtFields[Index]->text() == accepted_[static_cast<size_t>(Index)]) {
        if (next && window()->isAncestorOf(next)) txtFields_LostFocus(Index);
        return;
    }
    if (Leave_Check(Index)) txtFields_LostFocus(Index);
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

void Criteria_Rows::Find_Ref_Click(int row) {
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

// ------------------------------------------------------------------ the rows

namespace {
template <class T> T* Named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}
QString Indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }

// Drawn sizes, in average characters of the window's font.
constexpr double Field_Width = 42, Oper_Width = 17.5, Value_Width = 12.5, List_Extra = 2.7;
constexpr double Description_Column = 13.3, Find_Ref_Size = 2.8, Gap = 0.7, Tight = 0.5, Active_Column = 5.3;
}  // namespace

Criteria_Rows::Criteria_Rows(Session& session, const std::function<int(double)>& chars, int row_height, QWidget* parent)
    : QWidget(parent), Session_In_Use(session), chars_(chars) {
    setObjectName(QStringLiteral("Criteria_Rows"));
    Lbl_Actif = Named(new QLabel(QStringLiteral("Active"), this), QStringLiteral("Lbl_Actif"));
    Lbl_Field = Named(new QLabel(QStringLiteral("Field"), this), QStringLiteral("Lbl_Field"));
    Lbl_Not = Named(new QLabel(QStringLiteral("Not"), this), QStringLiteral("Lbl_Not"));
    Lbl_Oper = Named(new QLabel(QStringLiteral("Operator"), this), QStringLiteral("Lbl_Oper"));
    Lbl_Value = Named(new QLabel(QStringLiteral("Value"), this), QStringLiteral("Lbl_Value"));
    for (int k = 0; k < 2; ++k) {
        Line1[k] = Named(new QFrame(this), Indexed("Line1", k));
        Line1[k]->setFrameShape(QFrame::HLine);
        Line1[k]->setFrameShadow(QFrame::Sunken);
    }
    for (int i = 0; i < Nb_Rows; ++i) {
        Critere_Actif[i] = Named(new QCheckBox(this), Indexed("Critere_Actif", i));
        Field[i] = Named(new Drop_Down_List(this), Indexed("Field", i));
        Negation[i] = Named(new QCheckBox(this), Indexed("Negation", i));
        Oper[i] = Named(new Drop_Down_List(this), Indexed("Oper", i));
        txtFields[i] = Named(new Sized<QLineEdit>(this), Indexed("txtFields", i));
        ListFields[i] = Named(new Drop_Down_List(this), Indexed("ListFields", i));
        lblDescription[i] = Named(new QLabel(this), Indexed("lblDescription", i));
        lblDescription[i]->setTextFormat(Qt::PlainText);
        Find_Ref[i] = Named(new QPushButton(QStringLiteral("?"), this), Indexed("Find_Ref", i));
        Find_Ref[i]->setToolTip(QStringLiteral("Choose a code from the table"));
        Find_Ref[i]->hide();
        ListFields[i]->hide();
        for (QComboBox* c : {static_cast<QComboBox*>(Field[i]), static_cast<QComboBox*>(Oper[i]),
                             static_cast<QComboBox*>(ListFields[i])})
            c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    Build_Layout(chars, row_height);
    Connect_Controls();
}

void Criteria_Rows::Build_Layout(const std::function<int(double)>& px, int row_height) {
    auto* rows = new QGridLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
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
        rows->setRowMinimumHeight(r, row_height);
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
}

void Criteria_Rows::Connect_Controls() {
    for (int i = 0; i < Nb_Rows; ++i) {
        connect(Critere_Actif[i], &QCheckBox::toggled, this, [this, i] { Critere_Actif_Click(i); });
        connect(Field[i], &QComboBox::currentIndexChanged, this, [this, i] {
            if (!filling_fields_) Field_Click(i);
        });
        connect(Oper[i], &QComboBox::currentIndexChanged, this, [this, i] { Oper_Click(i); });
        connect(ListFields[i], &QComboBox::currentIndexChanged, this, [this, i] { ListFields_Click(i); });
        connect(txtFields[i], &QLineEdit::textChanged, this, [this, i] { txtFields_Change(i); });
        connect(Find_Ref[i], &QPushButton::clicked, this, [this, i] { Find_Ref_Click(i); });
        for (Drop_Down_List* list : {Field[i], Oper[i], ListFields[i]})
            list->DropDown = [this, list] { Fit_List(list); };
    }
}

void Criteria_Rows::Apply_Value_Box_Width(int Index) {
    QLineEdit* box = txtFields[Index];
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
    Set_Preferred_Width(ListFields[Index], w + chars_(List_Extra));
    // Short values keep their descriptions in one column.
    const int used = (box->isHidden() ? ListFields[Index]->sizeHint().width() : w) +
                     (Find_Ref[Index]->isHidden() ? 0 : Find_Ref[Index]->width());
    const int gap = std::max(chars_(Gap), chars_(Description_Column) - used);
    description_gap_[static_cast<size_t>(Index)]->changeSize(gap, 0, QSizePolicy::Fixed);
    if (layout()) layout()->invalidate();
    updateGeometry();
}

Criterion_Row Criteria_Rows::Read_Row(int i) const {
    Criterion_Row r;
    r.Critere_Actif = Critere_Actif[i]->isChecked();
    r.Field = Field_Item(i);
    r.Oper = Oper_Code(i);
    r.txtFields = txtFields[i]->text();
    r.Negation = Negation[i]->isChecked();
    return r;
}

Criterion_Text Criteria_Rows::Row_Text(int i) const {
    Criterion_Text t;
    t.Usable = Read_Row(i).Usable();
    t.Field = Field[i]->currentText();
    t.Negation = Negation[i]->isChecked();
    t.Oper = Oper[i]->currentText();
    t.Oper_Code = Oper_Code(i).value_or(0);
    t.Description = lblDescription[i]->text();
    t.Value = txtFields[i]->text();
    return t;
}

std::optional<qint32> Criteria_Rows::Field_Item(int Index) const {
    const QComboBox* f = Field[Index];
    if (f->currentIndex() < 0) return std::nullopt;
    return f->currentData().toInt();
}

std::optional<qint32> Criteria_Rows::Oper_Code(int Index) const {
    const QComboBox* o = Oper[Index];
    if (o->currentIndex() < 0) return std::nullopt;
    return o->currentData().toInt();
}

int Criteria_Rows::Row_Of(const QWidget* box) const {
    for (int i = 0; i < Nb_Rows; ++i)
        if (txtFields[i] == box) return i;
    return -1;
}

void Criteria_Rows::Clear_Rows() {
    for (int i = 0; i < Nb_Rows; ++i) {
        {
            const QSignalBlocker block(Critere_Actif[i]);
            Critere_Actif[i]->setChecked(false);
        }
        Field[i]->setCurrentIndex(-1);
        Field[i]->setEnabled(false);
        Negation[i]->setChecked(false);
        Oper[i]->setCurrentIndex(-1);
        txtFields[i]->setText(QString());
        Critere_Actif_Click(i);
    }
    Critere_Actif[0]->setChecked(true);
    Field[0]->setEnabled(true);
    Init_Field_Fields();
}

int Criteria_Rows::First_Inactive_Row() const {
    for (int i = 0; i < Nb_Rows; ++i)
        if (!Critere_Actif[i]->isChecked()) return i;
    return -1;
}

void Criteria_Rows::Fill_Row(int Index, const Criterion_Row& c) {
    Critere_Actif[Index]->setChecked(true);
    if (c.Field) Field[Index]->setCurrentIndex(Field[Index]->findData(*c.Field));
    if (c.Oper) Oper[Index]->setCurrentIndex(Oper[Index]->findData(*c.Oper));
    Negation[Index]->setChecked(c.Negation);
    if (ListFields[Index]->isVisibleTo(this))
        ListFields[Index]->setCurrentIndex(ListFields[Index]->findText(c.txtFields));
    txtFields[Index]->setText(c.txtFields);
    accepted_[static_cast<size_t>(Index)] = c.txtFields;
}
