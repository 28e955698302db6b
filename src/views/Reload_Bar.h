#pragma once
// The bar across the top of the search window that says the workbook changed on disk
// since the records were read, and offers to read them again. It never takes the focus
// by itself; Tab reaches its two buttons, and Escape on them closes it.
#include <QFrame>

class QLabel;
class QPushButton;

class Reload_Bar : public QFrame {
    Q_OBJECT
public:
    explicit Reload_Bar(QWidget* parent = nullptr);

    QLabel* Message = nullptr;
    QPushButton* Reload_Button = nullptr;
    QPushButton* Close_Button = nullptr;

    // Shows the bar about the workbook of that file name.
    void Offer(const QString& workbook);
    // Every caption in the interface's language; the window then gives the button its letter.
    void Set_Texts();

signals:
    void Reload_Clicked();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Show_Message();
    QString workbook_;
};
