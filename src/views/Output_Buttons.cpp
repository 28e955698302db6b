#include "views/Output_Buttons.h"

#include "views/Sized_Controls.h"
#include "winsupport/Window_Utils.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>

Output_Buttons::Output_Buttons(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Output_Buttons"));
    // Made in the order the Tab key visits them.
    count_line_ = Named(new Sized<QLabel>(this), "Count_Line");
    count_line_->setAlignment(Qt::AlignCenter);
    export_ = Named(new Sized<QPushButton>(this), "Export_Button");
    print_ = Named(new Sized<QPushButton>(this), "Print_Button");
    counts_ = Named(new Sized<QPushButton>(this), "Counts_Button");
    // A circular arrow, as browsers show it: a captioned button would not leave the row
    // room enough on a small screen. Its tip and its name say what it does.
    reload_ = Named(new QPushButton(this), "Reload_Button");
    reload_->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    close_ = Named(new Sized<QPushButton>(this), "Close_Button");
    help_ = Named(new Sized<QPushButton>(this), "Help_Button");
    version_ = Named(new Sized<QLabel>(QStringLiteral("Sifa_Soft v0.6.2"), this), "Copyright");
    version_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    for (QPushButton* b : {close_, export_, print_, counts_, reload_}) row->addWidget(b);
    row->addStretch(1);
    row->addWidget(count_line_);
    row->addStretch(1);
    row->addWidget(version_);
    row->addWidget(help_);

    Set_Texts();
    connect(close_, &QPushButton::clicked, this, &Output_Buttons::Close_Clicked);
    connect(export_, &QPushButton::clicked, this, &Output_Buttons::Export_Clicked);
    connect(print_, &QPushButton::clicked, this, &Output_Buttons::Print_Clicked);
    connect(counts_, &QPushButton::clicked, this, &Output_Buttons::Counts_Clicked);
    connect(help_, &QPushButton::clicked, this, &Output_Buttons::Help_Clicked);
    connect(reload_, &QPushButton::clicked, this, &Output_Buttons::Reload_Clicked);
    // A button's own shortcut is its caption's letter; F1 comes on top of it.
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, help_, &QPushButton::click);
}

void Output_Buttons::Set_Texts() {
    export_->setText(tr("Export..."));
    print_->setText(tr("Print..."));
    counts_->setText(tr("Counts..."));
    close_->setText(tr("Close"));
    reload_->setAccessibleName(tr("Reload"));
    reload_->setToolTip(tr("Load the records again and search again (F5)"));
    help_->setText(tr("Help"));
    help_->setToolTip(Tip_With_Keys(help_->text(), QKeySequence(QKeySequence::HelpContents)));
}

void Output_Buttons::Show_Count(const QString& caption, bool output_enabled) {
    count_line_->setText(caption);
    for (QPushButton* b : {export_, print_, counts_}) b->setEnabled(output_enabled);
}

void Output_Buttons::Set_Sizes(int button, int count_line, int version, int spacing) {
    layout()->setSpacing(spacing);
    for (QPushButton* b : {close_, export_, print_, counts_, help_}) Set_Preferred_Width(b, button);
    Set_Preferred_Width(count_line_, count_line);
    Set_Preferred_Width(version_, version);
}

bool Output_Buttons::Is_Close(const QWidget* w) const { return w == close_; }
