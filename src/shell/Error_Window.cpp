#include "shell/Error_Window.h"

#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <QEvent>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

Error_Window::Error_Window(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Error_Window"));
    setWindowTitle(App_Title());
    Lines_Box = new QTextEdit(this);
    Lines_Box->setObjectName(QStringLiteral("Lines_Box"));
    Lines_Box->setReadOnly(true);
    Lines_Box->setLineWrapMode(QTextEdit::NoWrap);
    Lines_Box->setAcceptRichText(false);
    Lines_Box->setAccessibleName(tr("Problems found"));
    Ok_Button = new QPushButton(tr("OK"), this);
    Ok_Button->setObjectName(QStringLiteral("Ok_Button"));
    Ok_Button->setDefault(true);
    Ok_Button->setMinimumWidth(81);
    connect(Ok_Button, &QPushButton::clicked, this, &Error_Window::Close_Window);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Lines_Box, 1);
    layout->addWidget(Ok_Button, 0, Qt::AlignHCenter);
    // The size it was first drawn at; the lines keep their room when it grows.
    resize(640, 360);
    setSizeGripEnabled(true);
    Add_Mnemonics(this);
}

void Error_Window::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() != QEvent::LanguageChange || !Ok_Button) return;
    Ok_Button->setText(tr("OK"));
    Lines_Box->setAccessibleName(tr("Problems found"));
    Add_Mnemonics(this);
}

QString Error_Window::Error_Text(const QStringList& lines) {
    if (lines.size() <= 300) return lines.join(QStringLiteral("\r\n"));
    return lines.mid(0, 300).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n") + tr("Too many errors: truncated !");
}

void Error_Window::Came_Forward() { Lines_Box->setPlainText(Error_Text(Lines)); }

void Error_Window::Close_Window() { accept(); }

void Error_Window::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Came_Forward();
}

void Show_Error_Window(const QStringList& lines, QWidget* parent) {
    Error_Window window(parent);
    window.Lines = lines;
    Set_Window_On_Top(&window, true);
    window.exec();
}
