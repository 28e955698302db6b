#include "views/Reload_Bar.h"

#include "winsupport/Window_Utils.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

Reload_Bar::Reload_Bar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Reload_Bar"));
    setFrameShape(QFrame::StyledPanel);
    // In the desktop's colours for notices (those of tips): it must catch the eye without
    // looking like an error, on a dark or high-contrast desktop too.
    setAutoFillBackground(true);
    QPalette notice = palette();
    notice.setColor(QPalette::Window, notice.color(QPalette::ToolTipBase));
    notice.setColor(QPalette::WindowText, notice.color(QPalette::ToolTipText));
    setPalette(notice);

    Message = Named(new QLabel(this), QStringLiteral("Reload_Message"));
    Message->setTextFormat(Qt::PlainText);
    // A long file name is cut, never widens the window; the tip holds it whole.
    Message->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Reload_Button = Named(new QPushButton(this), QStringLiteral("Reload_Bar_Button"));
    Reload_Button->setAutoDefault(false);
    // Closed by a small cross, as such bars are; the screen reader says what it does.
    Close_Button = Named(new QPushButton(this), QStringLiteral("Reload_Bar_Close"));
    Close_Button->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    Close_Button->setFlat(true);
    Close_Button->setAutoDefault(false);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 2, 2);
    row->addWidget(Message, 1);
    row->addWidget(Reload_Button);
    row->addWidget(Close_Button);

    connect(Reload_Button, &QPushButton::clicked, this, &Reload_Bar::Reload_Clicked);
    connect(Close_Button, &QPushButton::clicked, this, &QWidget::hide);
    Set_Texts();
}

void Reload_Bar::Offer(const QString& workbook) {
    workbook_ = workbook;
    Show_Message();
    show();
}

void Reload_Bar::Show_Message() {
    const QString text = tr("The workbook %1 has changed on disk since the records were loaded.").arg(workbook_);
    Message->setText(text);
    Message->setToolTip(text);
}

void Reload_Bar::Set_Texts() {
    Show_Message();
    Reload_Button->setText(tr("Reload"));
    Reload_Button->setToolTip(tr("Load the records again and search again (F5)"));
    Close_Button->setToolTip(Tip_With_Keys(tr("Close"), QKeySequence(Qt::Key_Escape)));
    Close_Button->setAccessibleName(tr("Close"));
}

void Reload_Bar::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QFrame::keyPressEvent(e);
}
