#pragma once
// The row under the result: Close, Export..., Print..., Counts..., Reload (an arrow), how
// many records were found, the version and Help. It only tells which button was pressed; the window decides.
#include <QWidget>

class QLabel;
class QPushButton;

class Output_Buttons : public QWidget {
    Q_OBJECT
public:
    explicit Output_Buttons(QWidget* parent = nullptr);

    // The buttons' captions in the interface's language (the window then gives them
    // their letters).
    void Set_Texts();
    // The count line, and whether the result can be exported, printed and counted.
    void Show_Count(const QString& caption, bool output_enabled);
    // The widths the buttons and labels ask of the row, and the gap between them, in pixels.
    void Set_Sizes(int button, int count_line, int version, int spacing);
    // Close lets the focus leave a value box without its check.
    bool Is_Close(const QWidget* w) const;

signals:
    void Close_Clicked();
    void Export_Clicked();
    void Print_Clicked();
    void Counts_Clicked();
    void Help_Clicked();
    void Reload_Clicked();

private:
    QLabel* count_line_ = nullptr;
    QPushButton* export_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* counts_ = nullptr;
    QPushButton* reload_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* help_ = nullptr;
    QLabel* version_ = nullptr;
};
