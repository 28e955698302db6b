#include "output/Field_Chooser.h"

#include "search/Name_Selection.h"
#include "winsupport/Window_Utils.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
// Pixels at 96 dpi, from the window as first drawn: a list is its widest name plus
// List_Margin wide, at least Least_List_Width; the window is Window_Height high.
constexpr int List_Margin = 27, Least_List_Width = 80;
constexpr int Move_Size = 25, Button_Width = 73;
constexpr int Window_Height = 260;

// A move button's picture: one or two arrow heads pointing right or left.
QIcon Arrow_Icon(bool right, bool twice, const QPalette& palette) {
    QPixmap pm(20, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(palette.color(QPalette::Active, QPalette::ButtonText));
    auto head = [&](double x) {
        QPainterPath path;
        if (right) {
            path.moveTo(x, 2);
            path.lineTo(x + 7, 8);
            path.lineTo(x, 14);
        } else {
            path.moveTo(x + 7, 2);
            path.lineTo(x, 8);
            path.lineTo(x + 7, 14);
        }
        path.closeSubpath();
        p.drawPath(path);
    };
    if (twice) {
        head(3);
        head(10);
    } else {
        head(6.5);
    }
    p.end();
    QIcon icon(pm);
    // The disabled look: the same heads in the palette's colour of a disabled caption.
    QPixmap grey(pm.size());
    grey.fill(Qt::transparent);
    QPainter g(&grey);
    g.drawPixmap(0, 0, pm);
    g.setCompositionMode(QPainter::CompositionMode_SourceIn);
    g.fillRect(grey.rect(), palette.color(QPalette::Disabled, QPalette::ButtonText));
    g.end();
    icon.addPixmap(grey, QIcon::Disabled);
    return icon;
}
}  // namespace

Field_Chooser::Field_Chooser(QWidget* parent) : QDialog(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Available_Heading = new QLabel(this);
    Selected_Heading = new QLabel(this);
    Available = new QListWidget(this);
    Selected = new QListWidget(this);
    for (QListWidget* l : {Available, Selected}) {
        l->setSelectionMode(QAbstractItemView::ExtendedSelection);
        l->installEventFilter(this);
        l->viewport()->installEventFilter(this);
    }
    Available->setObjectName(QStringLiteral("Available"));
    Selected->setObjectName(QStringLiteral("Selected"));
    auto button = [this](const char* name, bool right, bool twice) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setProperty("right", right);
        b->setProperty("twice", twice);
        return b;
    };
    Select = button("Select", true, false);
    Select_All = button("Select_All", true, true);
    Unselect = button("Unselect", false, false);
    Unselect_All = button("Unselect_All", false, true);
    // The arrows' direction with Alt; Shift for all of them.
    Select->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    Select_All->setShortcut(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Right));
    Unselect->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    Unselect_All->setShortcut(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Left));
    Ok = new QPushButton(this);
    Cancel = new QPushButton(this);
    Draw_Arrows();
    Set_Texts();

    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    for (QToolButton* b : {Select, Select_All, Unselect, Unselect_All}) {
        b->setMinimumSize(Move_Size, Move_Size);
        moves->addWidget(b);
        // The two that move back stand apart from the two that move across.
        if (b == Select_All) moves->addSpacing(16);
    }
    moves->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    for (QPushButton* b : {Ok, Cancel}) {
        b->setMinimumWidth(Button_Width);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(Available_Heading, 0, 0);
    grid->addWidget(Selected_Heading, 0, 2);
    grid->addWidget(Available, 1, 0);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(Selected, 1, 2);
    grid->addLayout(buttons, 2, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);
    grid->setHorizontalSpacing(12);

    connect(Select, &QToolButton::clicked, this, &Field_Chooser::Select_Highlighted);
    connect(Select_All, &QToolButton::clicked, this, &Field_Chooser::Select_Every_Name);
    connect(Unselect, &QToolButton::clicked, this, &Field_Chooser::Unselect_Highlighted);
    connect(Unselect_All, &QToolButton::clicked, this, &Field_Chooser::Unselect_Every_Name);
    connect(Available, &QListWidget::itemDoubleClicked, this, &Field_Chooser::Select_Highlighted);
    connect(Selected, &QListWidget::itemDoubleClicked, this, &Field_Chooser::Unselect_Highlighted);
    // Highlighting from code or the keyboard's auto-repeat counts as well.
    connect(Available, &QListWidget::itemSelectionChanged, this, &Field_Chooser::Refresh_Move_Buttons);
    connect(Selected, &QListWidget::itemSelectionChanged, this, &Field_Chooser::Refresh_Move_Buttons);
    connect(Ok, &QPushButton::clicked, this, &Field_Chooser::Accept);
    connect(Cancel, &QPushButton::clicked, this, &Field_Chooser::Cancel_Choice);
    Load();
}

QStringList Field_Chooser::Entries(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

int Field_Chooser::Add_Sorted(QListWidget* list, const QString& name) {
    int row = 0;
    while (row < list->count() && QString::compare(list->item(row)->text(), name, Qt::CaseInsensitive) <= 0) ++row;
    list->insertItem(row, name);
    return row;
}

void Field_Chooser::Set_Texts() {
    Available_Heading->setText(tr("Available"));
    Selected_Heading->setText(tr("Selected"));
    for (QToolButton* b : {Select, Unselect}) b->setToolTip(Tip_With_Keys(tr("Move highlighted"), b->shortcut()));
    for (QToolButton* b : {Select_All, Unselect_All}) b->setToolTip(Tip_With_Keys(tr("Move all"), b->shortcut()));
    Available->setAccessibleName(tr("Available"));
    Selected->setAccessibleName(tr("Selected"));
    Select->setAccessibleName(tr("Select the highlighted fields"));
    Select_All->setAccessibleName(tr("Select all fields"));
    Unselect->setAccessibleName(tr("Remove the highlighted fields"));
    Unselect_All->setAccessibleName(tr("Remove all fields"));
    Ok->setText(tr("Ok"));
    Cancel->setText(tr("Cancel"));
    setWindowTitle(Names ? tr("%1 selection").arg(Names->Name) : QString());
    Add_Mnemonics(this);
}

void Field_Chooser::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::LanguageChange && Cancel) Set_Texts();
    if (e->type() == QEvent::PaletteChange && Cancel) Draw_Arrows();
}

void Field_Chooser::Draw_Arrows() {
    for (QToolButton* b : {Select, Select_All, Unselect, Unselect_All})
        b->setIcon(Arrow_Icon(b->property("right").toBool(), b->property("twice").toBool(), palette()));
}

void Field_Chooser::Load() {
    Names_Accepted = false;
    Set_Texts();
    Available->clear();
    Selected->clear();
    const QFontMetrics fm(font());
    int widest = 0;
    if (Names) {
        for (const Name_Item& i : Names->Available) {
            Add_Sorted(Available, i.Name());
            widest = std::max(widest, fm.horizontalAdvance(i.Name()));
        }
        for (const Name_Item& i : Names->Selected) {
            Add_Sorted(Selected, i.Name());
            widest = std::max(widest, fm.horizontalAdvance(i.Name()));
        }
    }
    initial_selection_ = Entries(Selected);
    initial_empty_ = initial_selection_.isEmpty();

    // Both lists as wide as the widest name needs; the window opens just around them.
    const int W = std::max(widest + List_Margin, Least_List_Width);
    for (QListWidget* l : {Available, Selected}) l->setMinimumWidth(Least_List_Width);
    resize(std::max(minimumSizeHint().width(), 2 * W + 120), std::max(minimumSizeHint().height(), Window_Height));

    Refresh_Move_Buttons();
    Refresh_Ok_Button();
}

void Field_Chooser::Refresh_Move_Buttons() {
    Select->setEnabled(!Available->selectedItems().isEmpty());
    Unselect->setEnabled(!Selected->selectedItems().isEmpty());
    Select_All->setEnabled(Available->count() > 0);
    Unselect_All->setEnabled(Selected->count() > 0);
}

void Field_Chooser::Refresh_Ok_Button() {
    const QStringList now = Entries(Selected);
    Ok->setEnabled(initial_empty_ ? !now.isEmpty() : now != initial_selection_);
}

void Field_Chooser::Move_Highlighted(QListWidget* from, QListWidget* to) {
    to->clearSelection();
    int i = 0;
    while (i < from->count()) {
        QListWidgetItem* item = from->item(i);
        if (!item->isSelected()) {
            ++i;
            continue;
        }
        const QString name = item->text();
        Add_Sorted(to, name);
        for (int k = 0; k < to->count(); ++k)
            if (to->item(k)->text() == name) to->item(k)->setSelected(true);
        delete from->takeItem(i);
    }
    Refresh_Move_Buttons();
    Refresh_Ok_Button();
}

void Field_Chooser::Select_Highlighted() { Move_Highlighted(Available, Selected); }
void Field_Chooser::Unselect_Highlighted() { Move_Highlighted(Selected, Available); }

void Field_Chooser::Select_Every_Name() {
    Available->selectAll();
    Move_Highlighted(Available, Selected);
}

void Field_Chooser::Unselect_Every_Name() {
    Selected->selectAll();
    Move_Highlighted(Selected, Available);
}

void Field_Chooser::Accept() {
    Names_Accepted = true;
    if (Names) {
        Names->Available.Remove_All();
        for (const QString& n : Entries(Available)) Names->Available.add(n);
        Names->Selected.Remove_All();
        for (const QString& n : Entries(Selected)) Names->Selected.add(n);
    }
    accept();
}

void Field_Chooser::Cancel_Choice() { reject(); }

bool Field_Chooser::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyRelease || e->type() == QEvent::MouseButtonRelease) {
        const bool ours = watched == Available || watched == Selected || watched == Available->viewport() ||
                          watched == Selected->viewport();
        if (ours) {
            Refresh_Move_Buttons();
            Refresh_Ok_Button();
        }
    }
    return QDialog::eventFilter(watched, e);
}
