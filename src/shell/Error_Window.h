#pragma once
// The error window: problem lines from the code-table check or from loading.
#include <QDialog>
#include <QStringList>

class QPushButton;
class QTextEdit;

class Error_Window : public QDialog {
    Q_OBJECT
public:
    explicit Error_Window(QWidget* parent = nullptr);

    QStringList Lines;
    QTextEdit* Lines_Box;
    QPushButton* Ok_Button;

    // The text the box shows for a list: the first 300 lines, then the truncation line.
    static QString Error_Text(const QStringList& lines);

    void Came_Forward();
    void Close_Window();

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
};

// Loads the window with the lines, puts it on top and shows it modally.
void Show_Error_Window(const QStringList& lines, QWidget* parent = nullptr);
