#include "shell/DisplayError.h"

#include "winsupport/Message_Service.h"
#include "winsupport/Twips.h"
#include "winsupport/Window_Utils.h"

#include <QPushButton>
#include <QTextEdit>

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
    OKButton->resize(Twips_To_Pixels_X(1215, this), Twips_To_Pixels_Y(375, this));
    connect(OKButton, &QPushButton::clicked, this, &DisplayError::OKButton_Click);
    resize(Twips_To_Pixels_X(9600, this), Twips_To_Pixels_Y(5400, this));
    setSizeGripEnabled(true);
    Add_Mnemonics(this);
}

QString DisplayError::Error_Text(const QStringList& lines) {
    if (lines.size() <= 300) return lines.join(QStringLiteral("\r\n"));
    return lines.mid(0, 300).join(QStringLiteral("\r\n")) + QStringLiteral("\r\nToo many errors: truncated !");
}

void DisplayError::Form_Activate() { Text_Err->setPlainText(Error_Text(List_Erreurs)); }

void DisplayError::Form_Resize() {
    const int w = Pixels_To_Twips_X(width(), this);
    const int h = Pixels_To_Twips_Y(height(), this);
    if (h <= 500) return;
    Text_Err->setGeometry(Twips_To_Pixels_X(10, this), Twips_To_Pixels_Y(10, this),
                          std::max(0, Twips_To_Pixels_X(w - 30, this)), Twips_To_Pixels_Y(h - 500, this));
    const int okW = Pixels_To_Twips_X(OKButton->width(), this);
    OKButton->move(Twips_To_Pixels_X((w - okW) / 2, this), Twips_To_Pixels_Y(h - 400, this));
}

void DisplayError::OKButton_Click() { accept(); }

void DisplayError::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Form_Activate();
}

void DisplayError::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    Form_Resize();
}

void Show_Error_Window(const QStringList& lines, QWidget* parent) {
    DisplayError window(parent);
    window.List_Erreurs = lines;
    Set_Window_On_Top(&window, true);
    window.exec();
}
