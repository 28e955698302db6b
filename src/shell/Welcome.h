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
class Session;

class Welcome : public QDialog, public Load_Progress, private Load_Records_Host {
    Q_OBJECT
public:
    // Loads the records into the session.
    explicit Welcome(Session& session, QWidget* parent = nullptr);

    // Read by start-up once the window has closed.
    bool Cancel_Load = false;
    bool Data_Loaded = false;

    // The two panels, each scrolling its texts.
    QScrollArea* SifaReco;
    QScrollArea* SifaReco2;
    QFrame* Frame_Control;
    QPushButton* Command1;
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
    QLabel* Barre_Titre;
    QProgressBar* ProgressBar1;
    QLabel* Percent;
    QTimer* Timer1;
    // The labels of each panel, title first; txt labels in the link colour open on click.
    QList<QLabel*> Panel_Labels[2];
    QLabel* Picture1[2];

    // The files the loading reads; the program's folder unless a test says otherwise.
    Load_Files Files = Default_Load_Files();

    bool Do_Loading_Excel(const QString& path);
    void Timer1_Timer();
    void Command1_Click();
    void Load_Again_Click();
    void Open_Document(const QString& fileName);
    void txt_Click(QLabel* label);

    void do_barre_titre_visible(const std::optional<QString>& Titre = std::nullopt) override;
    void do_barre_init_val(int taille, const std::optional<QString>& Titre = std::nullopt) override;
    void do_barre_affiche(int Niveau, const std::optional<QString>& Titre = std::nullopt) override;
    void do_barre_hide_all() override;

    // The percentage text for a value of the bar.
    static QString Percent_Text(int Niveau, int maximum);

protected:
    void reject() override;
    // The main button's caption, with an underlined letter of its own.
    void Set_Command_Caption(const QString& caption);
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    Session& session_;
    // Load_Records_Host
    void Cache_Loaded() override;
    qint32 Load_Cache(Session& session, const Load_Files& files) override;
    bool Loading_Cancelled() const override { return Cancel_Load; }
    void Before_Import() override;
    bool Import(const QString& source) override;
    void After_Import() override;

    void Grow_To(int pixels);
    void Build_Panel(int index);
    QWidget* Panel_Content(int index) const;
    // The panel's whole height, frame included, for a panel of that width.
    int Panel_Content_Height(int index, int areaWidth) const;
    void Show_Load_Status(Load_Outcome outcome);

    int grown_ = 0;
    bool loading_ = false;
    bool closePending_ = false;
};
