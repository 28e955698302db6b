#pragma once
// The first window: presents the program, loads the records while showing progress,
// and offers the documents.
#include "model/Load_Progress.h"
#include "model/Load_Records.h"

#include <QDialog>
#include <QList>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTimer;
class Records_Table;
class Session;

class Welcome : public QDialog, public Load_Progress, private Load_Records_Host {
    Q_OBJECT
public:
    // Loads the records into the session.
    explicit Welcome(Session& session, QWidget* parent = nullptr);
    // Loads them again into `into`, for whoever opened the window to take them: the
    // session's records stay in use meanwhile. Closes on its own once they are loaded;
    // otherwise says that the records in use are kept and offers to close or load again.
    Welcome(Session& session, Records_Table& into, QWidget* parent);

    // Read by start-up (and a reload) once the window has closed.
    bool Load_Cancelled = false;
    bool Records_Loaded = false;

    // The two panels, each scrolling its texts.
    QScrollArea* Presentation_Panel;
    QScrollArea* Documents_Panel;
    QFrame* Button_Row;
    QPushButton* Main_Button;
    QPushButton* User_Manual_EN;
    QPushButton* User_Manual_FR;
    QPushButton* User_Synth_EN;
    QPushButton* User_Synth_FR;
    QPushButton* Final_report;
    QLabel* Korvan;
    // How many records were loaded and from where, or that loading was cancelled.
    QLabel* Load_Status;
    // Shown when nothing was loaded: runs the loading again.
    QPushButton* Load_Again;
    QLabel* Progress_Title;
    QProgressBar* Progress_Bar;
    QLabel* Percent;
    QTimer* Start_Timer;
    // The labels of each panel, title first; txt labels in the link colour open on click.
    QList<QLabel*> Panel_Labels[2];
    QLabel* Panel_Picture[2];

    // The files the loading reads; the program's folder unless a test says otherwise.
    Load_Files Files = Default_Load_Files();

    bool Import_Workbook_File(const QString& path);
    void Start_Timer_Fired();
    void Main_Button_Clicked();
    void Load_Again_Clicked();
    void Open_Document(const QString& fileName);
    void Link_Clicked(QLabel* label);

    void Show_Progress_Title(const std::optional<QString>& progress_title = std::nullopt) override;
    void Start_Progress(int progress_total, const std::optional<QString>& progress_title = std::nullopt) override;
    void Show_Progress(int progress_value, const std::optional<QString>& progress_title = std::nullopt) override;
    void Hide_Progress() override;

    // The percentage text for a value of the bar.
    static QString Percent_Text(int progress_value, int maximum);

protected:
    void reject() override;
    // What the main button does; its caption, with an underlined letter of its own.
    enum class Command { Continue, Cancel, Quit, Close };
    void Set_Command_Caption(Command command);
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    Session& session_;
    // Load_Records_Host
    void Cache_Loaded() override;
    qint32 Load_Cache(Records_Table& into, const Load_Files& files) override;
    bool Loading_Cancelled() const override { return Load_Cancelled; }
    void Before_Import() override;
    bool Import(const QString& source, Records_Table& into) override;
    void After_Import() override;

    void Grow_To(int pixels);
    void Build_Panel(int index);
    QWidget* Panel_Content(int index) const;
    // The panel's whole height, frame included, for a panel of that width.
    int Panel_Content_Height(int index, int areaWidth) const;
    void Show_Load_Status(Load_Outcome outcome);
    // Every caption in the interface's language.
    void Set_Texts();
    // The main button's command when nothing is being loaded and nothing was.
    Command Idle_Command() const { return reloading_ ? Command::Close : Command::Continue; }

    Records_Table& into_;
    const bool reloading_;
    int grown_ = 0;
    bool loading_ = false;
    bool closePending_ = false;
    Command command_ = Command::Continue;
    std::optional<Load_Outcome> shown_outcome_;
};
