#include "views/frmTrier.h"

#include "winsupport/Message_Service.h"
#include "winsupport/Twips.h"
#include "winsupport/Window_Utils.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
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

const char* const Frame_Captions[4] = {"First key :", "Second key", "Third key", "Fourth key"};

QString Error_Text(const std::exception& e) { return QString::fromLocal8Bit(e.what()); }

}  // namespace

frmTrier::frmTrier(Text_Grid& Data, Sort_Keys_T& Keys, QWidget* parent) : QDialog(parent), data_(Data), keys_(Keys) {
    Build();
}

frmTrier::~frmTrier() { Form_Unload(); }

void frmTrier::Build() {
    setWindowTitle(QStringLiteral("Sort"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    for (int k = 0; k < 4; ++k) {
        auto* frame = new QGroupBox(QString::fromLatin1(Frame_Captions[k]), this);
        // A hidden key keeps its place: the dialog does not jump while keys are chosen.
        QSizePolicy policy = frame->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        frame->setSizePolicy(policy);
        auto* row = new QHBoxLayout(frame);
        auto* list = new Key_List(frame);
        list->setMinimumWidth(Twips_To_Pixels_X(2535, this));
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->DropDown = [this, k] { cmbTri_DropDown(k); };
        auto* up = new QRadioButton(QStringLiteral("Ascending"), frame);
        auto* down = new QRadioButton(QStringLiteral("Descending"), frame);
        up->setChecked(true);
        row->addWidget(list, 1);
        row->addWidget(up);
        row->addWidget(down);
        Frame1[static_cast<size_t>(k)] = frame;
        cmbTri[static_cast<size_t>(k)] = list;
        OptTri[static_cast<size_t>(2 * k)] = up;
        OptTri[static_cast<size_t>(2 * k + 1)] = down;
        connect(list, &QComboBox::activated, this, [this, k] { cmbTri_Click(k); });
        layout->addWidget(frame);
        frame->setVisible(k == 0);
    }
    auto* bottom = new QHBoxLayout;
    labTri = new QLabel(this);
    cmdOk = new QPushButton(QStringLiteral("Sort"), this);
    cmdOk->setDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    bottom->addWidget(labTri, 1);
    bottom->addWidget(cmdOk);
    layout->addLayout(bottom);
    Add_Mnemonics(this);
}

void frmTrier::Set_Key_Enabled(int k, bool on) {
    OptTri[static_cast<size_t>(2 * k)]->setEnabled(on);
    OptTri[static_cast<size_t>(2 * k + 1)]->setEnabled(on);
}

bool frmTrier::Form_Load() {
    if (loaded_) return true;
    try {
        sort_.Load(data_);
        unloaded_ = false;
        const QStringList entries = sort_.Key_Entries();
        const Sort_Key_Choices choices = Choices_From_Sort_Keys(keys_, sort_.Last_Col());
        bool undefined_before = false;
        for (int k = 0; k < 4; ++k) {
            const auto ks = static_cast<size_t>(k);
            QComboBox* list = cmbTri[ks];
            list->clear();
            list->addItems(entries);
            list->setCurrentIndex(0);
            OptTri[2 * ks]->setChecked(true);
            Set_Key_Enabled(k, false);
            Frame1[ks]->setVisible(!undefined_before);
            list->setEnabled(!undefined_before);
            if (undefined_before) continue;
            list->setCurrentIndex(choices[ks].Column);
            OptTri[choices[ks].Ascending ? 2 * ks : 2 * ks + 1]->setChecked(true);
            if (choices[ks].Column != 0)
                Set_Key_Enabled(k, true);
            else
                undefined_before = true;
        }
        loaded_ = true;
        return true;
    } catch (const std::exception& e) {
        Message_Box(QStringLiteral("Erreur dans frmTrier_Load\n") + Error_Text(e), Msg_Buttons::OK, Msg_Icon::None,
                    QString(), this);
        return false;
    }
}

void frmTrier::cmbTri_Click(int Index) {
    if (!loaded_ || Index < 0 || Index > 3) return;
    try {
        if (cmbTri[static_cast<size_t>(Index)]->currentIndex() <= 0) {
            for (int k = Index + 1; k < 4; ++k) {
                Frame1[static_cast<size_t>(k)]->setVisible(false);
                cmbTri[static_cast<size_t>(k)]->setCurrentIndex(0);
            }
            for (int k = Index; k < 4; ++k) Set_Key_Enabled(k, false);
        } else {
            Set_Key_Enabled(Index, true);
            if (Index < 3) {
                Frame1[static_cast<size_t>(Index + 1)]->setVisible(true);
                cmbTri[static_cast<size_t>(Index + 1)]->setEnabled(true);
            }
        }
    } catch (const std::exception& e) {
        Message_Box(QStringLiteral("Erreur dans frmTrier : cmdTri\n") + Error_Text(e), Msg_Buttons::OK, Msg_Icon::None,
                    QString(), this);
        loaded_ = true;
    }
}

void frmTrier::cmbTri_DropDown(int Index) {
    if (Index < 0 || Index > 3) return;
    Fit_Drop_Down_List(cmbTri[static_cast<size_t>(Index)], Pixels_To_Twips_Y(height(), this));
}

Sort_Key_Choices frmTrier::Choices() const {
    Sort_Key_Choices choices{};
    for (size_t k = 0; k < 4; ++k) {
        choices[k].Column = std::max(cmbTri[k]->currentIndex(), 0);
        choices[k].Ascending = OptTri[2 * k]->isChecked();
    }
    return choices;
}

Multi_Key_Sort::Result frmTrier::cmdOk_Click() {
    // The search applies the stored keys without showing the dialog.
    if (!loaded_ && !Form_Load()) return Multi_Key_Sort::Result::Nothing_To_Do;
    const Sort_Key_Choices choices = Choices();
    if (choices[0].Column == 0) {
        if (shown_) Message_Box(QStringLiteral("Nothing to do !"), Msg_Buttons::OK, Msg_Icon::None, QString(), this);
        return Multi_Key_Sort::Result::Nothing_To_Do;
    }
    return sort_.Apply(choices);
}

void frmTrier::Form_GotFocus() { shown_ = true; }

void frmTrier::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (!loaded_) return;
    loaded_ = false;
    sort_.Unload(Choices(), keys_);
}

void frmTrier::showEvent(QShowEvent* e) {
    if (!loaded_) Form_Load();
    QDialog::showEvent(e);
}

void frmTrier::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) Form_GotFocus();
    QDialog::changeEvent(e);
}

void frmTrier::done(int r) {
    Form_Unload();
    QDialog::done(r);
}

void frmTrier::closeEvent(QCloseEvent* e) {
    // The close box stores the keys shown, as "Sort" followed by closing does.
    QDialog::closeEvent(e);
}
