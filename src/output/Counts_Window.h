#pragma once
// How often each value of a field occurs in the current result: a table of values with
// their counts and shares beside a bar chart of the most frequent ones. The window
// follows the result: every new search (a language switch runs one) redraws it.
#include "search/Value_Counts.h"

#include <QDialog>

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;
class Session;

class Counts_Window : public QDialog {
    Q_OBJECT
public:
    // Bars drawn at most, fewer when the chart is too low for their labels; the values
    // past them share one bar.
    static constexpr int Max_Bars = 20;

    Counts_Window(const Session& session, const Search_Results& results, QWidget* parent = nullptr);
    ~Counts_Window() override;

    QComboBox* Field_List = nullptr;
    QRadioButton* By_Count = nullptr;
    QRadioButton* By_Label = nullptr;
    QLabel* Summary = nullptr;
    QTableWidget* Table = nullptr;
    QChartView* Chart_View = nullptr;
    QPushButton* Copy_Button = nullptr;
    QPushButton* Save_Button = nullptr;
    QPushButton* Save_Chart_Button = nullptr;
    QPushButton* Close_Button = nullptr;

    // Shows the counts of a field (0: keeps the field shown, or the first one).
    void Show_Field(qint32 field);
    // Counts again from the result, in the current language.
    void Refresh();
    const Value_Counts& Counts() const { return counts_; }

    void Copy_Counts();
    void Save_Counts();
    void Save_Chart();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // Every caption in the interface's language.
    void Set_Texts();
    void Fill_Field_List();
    void Fill_Table();
    void Fill_Chart();
    qint32 Chosen_Field() const;
    int Bars_That_Fit() const;

    const Session& session_;
    const Search_Results& results_;
    QLabel* field_label_ = nullptr;
    Value_Counts counts_;
    QString lang_;
    QChart* chart_ = nullptr;
    int bars_ = Max_Bars;  // as many as the chart was last drawn with room for
};

// The counts window of owner (one per owner), shown on field and brought forward.
Counts_Window* Show_Counts_Window(const Session& session, const Search_Results& results, QWidget* owner, qint32 field);
// Redraws the counts window of owner, if one is shown.
void Refresh_Counts_Window(QWidget* owner);
