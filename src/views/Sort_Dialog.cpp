#include "views/Sort_Dialog.h"

#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <exception>
#include <functional>

namespace {

// A key list that tells when it opens, so that it can be made taller.
class Key_List : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> DropDown;
    void showPopup() override {
        QComboBox::showPopup();
        if (DropDown) DropDown();
    }
};

// Pixels at 96 dpi: a key list is never narrower than as first drawn.
constexpr int Key_List_Width = 169;

const char* const Frame_Captions[4] = {
    QT_TRANSLATE_NOOP("Sort_Dialog", "First key"), QT_TRANSLATE_NOOP("Sort_Dialog", "Second key"),
    QT_TRANSLATE_NOOP("Sort_Dialog", "Third key"), QT_TRANSLATE_NOOP("Sort_Dialog", "Fourth key")};

QString Error_Text(const std::exception& e) { return QString::fromLocal8Bit(e.what()); }

}  // namespace

Sort_Dialog::Sort_Dialog(Result_Model& Data, Sort_Key_Columns& Keys, QWidget* parent)
    : QDialog(parent), data_(Data), keys_(Keys) {
    Build();
}

Sort_Dialog::~Sort_Dialog() { Unload(); }

void Sort_Dialog::Build() {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    for (int k = 0; k < 4; ++k) {
        auto* frame = new QGroupBox(this);
        // A hidden key keeps its place: the dialog does not jump while keys are chosen.
        QSizePolicy policy = frame->sizePolicy();
        policy.setVerticalPolicy(QSizePolicy::Fixed);
        policy.setRetainSizeWhenHidden(true);
        frame->setSizePolicy(policy);
        auto* row = new QHBoxLayout(frame);
        auto* list = new Key_List(frame);
        list->setMinimumWidth(Key_List_Width);
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->DropDown = [this, k] { Key_Column_Dropped_Down(k); };
        auto* up = new QRadioButton(frame);
        auto* down = new QRadioButton(frame);
        up->setChecked(true);
        row->addWidget(list, 1);
        row->addWidget(up);
        row->addWidget(down);
        Key_Box[static_cast<size_t>(k)] = frame;
        Key_Column[static_cast<size_t>(k)] = list;
        Key_Order[static_cast<size_t>(2 * k)] = up;
        Key_Order[static_cast<size_t>(2 * k + 1)] = down;
        connect(list, &QComboBox::activated, this, [this, k] { Key_Column_Chosen(k); });
        layout->addWidget(frame);
        frame->setVisible(k == 0);
    }
    auto* bottom = new QHBoxLayout;
    Order_In_Effect = new QLabel(this);
    Order_In_Effect->setTextFormat(Qt::PlainText);
    Order_In_Effect->setWordWrap(true);
    Ok_Button = new QPushButton(this);
    Ok_Button->setDefault(true);
    connect(Ok_Button, &QPushButton::clicked, this, [this] { Sort_Now(); });
    Cancel_Button = new QPushButton(this);
    Cancel_Button->setAutoDefault(false);
    connect(Cancel_Button, &QPushButton::clicked, this, &Sort_Dialog::Cancel_Sort);
    bottom->addWidget(Order_In_Effect, 1);
    bottom->addWidget(Ok_Button);
    bottom->addWidget(Cancel_Button);
    layout->addLayout(bottom);
    Set_Texts();
}

void Sort_Dialog::Set_Texts() {
    setWindowTitle(tr("Sort"));
    for (size_t k = 0; k < 4; ++k) {
        Key_Box[k]->setTitle(tr(Frame_Captions[k]));
        // A list is otherwise announced by the column it shows, not by its place.
        Key_Column[k]->setAccessibleName(Plain_Caption(Key_Box[k]->title()));
        Key_Order[2 * k]->setText(tr("Ascending"));
        Key_Order[2 * k + 1]->setText(tr("Descending"));
    }
    Ok_Button->setText(tr("Sort"));
    Cancel_Button->setText(tr("Cancel"));
    if (loaded_) Show_Order_In_Effect();
    Add_Mnemonics(this);
    Label_Lists_For_Screen_Readers(this);
}

void Sort_Dialog::Set_Key_Enabled(int k, bool on) {
    Key_Order[static_cast<size_t>(2 * k)]->setEnabled(on);
    Key_Order[static_cast<size_t>(2 * k + 1)]->setEnabled(on);
}

bool Sort_Dialog::Load() {
    if (loaded_) return true;
    try {
        sort_.Load(data_);
        unloaded_ = false;
        cancelled_ = false;
        in_effect_ = Choices_From_Sort_Keys(keys_, sort_.Last_Col());
        Show_Choices(in_effect_);
        Show_Order_In_Effect();
        loaded_ = true;
        return true;
    } catch (const std::exception& e) {
        Message_Box(QStringLiteral("Erreur dans frmTrier_Load\n") + Error_Text(e), Msg_Buttons::OK, Msg_Icon::None,
                    QString(), this);
        return false;
    }
}

void Sort_Dialog::Show_Choices(const Sort_Key_Choices& wanted) {
    const Sort_Key_Choices choices = Distinct_Choices(wanted);
    const QStringList entries = sort_.Key_Entries();
    bool undefined_before = false;
    for (size_t k = 0; k < 4; ++k) {
        QComboBox* list = Key_Column[k];
        const QSignalBlocker block(list);
        list->clear();
        list->addItem(entries.value(0), 0);
        for (int c = 1; c < entries.size(); ++c) {
            bool taken = false;
            for (size_t j = 0; j < k; ++j) taken = taken || choices[j].Column == c;
            if (!taken) list->addItem(entries[c], c);
        }
        list->setCurrentIndex(std::max(list->findData(choices[k].Column), 0));
        Key_Order[choices[k].Ascending ? 2 * k : 2 * k + 1]->setChecked(true);
        Key_Box[k]->setVisible(!undefined_before);
        list->setEnabled(!undefined_before);
        Set_Key_Enabled(static_cast<int>(k), !undefined_before && choices[k].Column != 0);
        undefined_before = undefined_before || choices[k].Column == 0;
    }
}

void Sort_Dialog::Show_Order_In_Effect() {
    const QString order = Sort_Keys_Text(data_, Sort_Keys_From_Choices(in_effect_));
    Order_In_Effect->setText(order.isEmpty() ? tr("Not ordered by any column") : order);
}

void Sort_Dialog::Key_Column_Chosen(int Index) {
    if (!loaded_ || Index < 0 || Index > 3) return;
    try {
        Sort_Key_Choices choices = Choices();
        // "Undefined" ends the keys: the later ones go.
        if (choices[static_cast<size_t>(Index)].Column == 0)
            for (size_t k = static_cast<size_t>(Index) + 1; k < 4; ++k) choices[k] = {};
        Show_Choices(choices);
    } catch (const std::exception& e) {
        Message_Box(QStringLiteral("Erreur dans frmTrier : cmdTri\n") + Error_Text(e), Msg_Buttons::OK, Msg_Icon::None,
                    QString(), this);
        loaded_ = true;
    }
}

void Sort_Dialog::Preselect_Column(int col) {
    if (!loaded_ && !Load()) return;
    Sort_Key_Choices choices = Choices();
    size_t k = 0;
    while (k < 4 && choices[k].Column != 0 && choices[k].Column != col) ++k;
    if (k == 4)
        k = 0;  // four other keys: the first one is where to start
    else if (choices[k].Column == 0 && col >= 1 && col <= sort_.Last_Col()) {
        choices[k] = {col, true};
        Show_Choices(choices);
    }
    Key_Column[k]->setFocus(Qt::OtherFocusReason);
}

void Sort_Dialog::Key_Column_Dropped_Down(int Index) {
    if (Index < 0 || Index > 3) return;
    Fit_Drop_Down_List(Key_Column[static_cast<size_t>(Index)], height());
}

Sort_Key_Choices Sort_Dialog::Choices() const {
    Sort_Key_Choices choices{};
    for (size_t k = 0; k < 4; ++k) {
        choices[k].Column = Key_Column[k]->currentIndex() < 0 ? 0 : Key_Column[k]->currentData().toInt();
        choices[k].Ascending = Key_Order[2 * k]->isChecked();
    }
    return choices;
}

Multi_Key_Sort::Result Sort_Dialog::Sort_Now() {
    // The search applies the stored keys without showing the dialog.
    if (!loaded_ && !Load()) return Multi_Key_Sort::Result::Nothing_To_Do;
    const Sort_Key_Choices choices = Choices();
    if (choices[0].Column == 0) {
        if (shown_) Message_Box(tr("Nothing to do !"), Msg_Buttons::OK, Msg_Icon::None, QString(), this);
        return Multi_Key_Sort::Result::Nothing_To_Do;
    }
    const Multi_Key_Sort::Result done = sort_.Apply(choices);
    if (done == Multi_Key_Sort::Result::Sorted) {
        in_effect_ = Distinct_Choices(choices);
        if (loaded_) Show_Order_In_Effect();
    }
    return done;
}

void Sort_Dialog::Cancel_Sort() {
    cancelled_ = true;
    QDialog::reject();
}

void Sort_Dialog::Came_Forward() { shown_ = true; }

void Sort_Dialog::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (!loaded_) return;
    loaded_ = false;
    // Cancel keeps the keys the grid is ordered by; closing stores the keys shown.
    sort_.Unload(cancelled_ ? in_effect_ : Choices(), keys_);
}

void Sort_Dialog::showEvent(QShowEvent* e) {
    if (!loaded_) Load();
    // The keys' frames keep their full height once styled: the window grows to it.
    for (QGroupBox* frame : Key_Box) frame->setMinimumHeight(frame->sizeHint().height());
    resize(size().expandedTo(minimumSizeHint()));
    QDialog::showEvent(e);
}

void Sort_Dialog::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) Came_Forward();
    if (e->type() == QEvent::LanguageChange && Ok_Button) Set_Texts();
    QDialog::changeEvent(e);
}

void Sort_Dialog::done(int r) {
    Unload();
    QDialog::done(r);
}

void Sort_Dialog::keyPressEvent(QKeyEvent* e) {
    if (e->matches(QKeySequence::Cancel)) {
        Cancel_Sort();
        return;
    }
    QDialog::keyPressEvent(e);
}

void Sort_Dialog::closeEvent(QCloseEvent* e) {
    // The close box stores the keys shown, as "Sort" followed by closing does.
    QDialog::closeEvent(e);
}
