#include "shell/DisplayError.h"

#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

DisplayError::DisplayError(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DisplayError"));
    setWindowTitle(App_Title());
    Text_Err = new QTextEdit(this);
    Text_Err->setObjectName(QStringLiteral("Text_Err"));
    Text_Err->setReadOnly(true);
    Text_Err->setLineWrapMode(QTextEdit::NoWrap);
    Text_Err->setAcceptRichText(false);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    OKButton->setMinimumWidth(81);
    connect(OKButton, &QPushButton::clicked, this, &DisplayError::OKButton_Click);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text_Err, 1);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    // The size it was first drawn at; the lines keep their room when it grows.
    resize(640, 360);
    setSizeGripEnabled(true);
    Add_Mnemonics(this);
}

QString DisplayError::Error_Text(const QStringList& lines) {
    if (lines.size() <= 300) return lines.join(QStringLiteral("\r\n"));
    return lines.mid(0, 300).join(QStringLiteral("\r\n")) + QStringLiteral("\r\nToo many errors: truncated !");
}

void DisplayError::Form_Activate() { Text_Err->setPlainText(Error_Text(List_Erreurs)); }

void DisplayError::OKButton_Click() { accept(); }

void DisplayError::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Form_Activate();
}

void Show_Error_Window(const QStringList& lines, QWidget* parent) {
    DisplayError window(parent);
    window.List_Erreurs = lines;
    Set_Window_On_Top(&window, true);
    window.exec();
}
