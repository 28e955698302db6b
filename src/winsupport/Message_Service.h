#pragma once
// Every message box and file/printer dialog goes through one replaceable service, so
// tests can answer for the person and keep every text shown.
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QWidget;
class QPrinter;

enum class Msg_Buttons { OK, OKCancel, YesNo, YesNoCancel };
enum class Msg_Icon { None, Information, Exclamation, Critical, Question };
enum class Msg_Answer { OK, Cancel, Yes, No };

struct File_Dialog_Request {
    bool open = true;  // false: save dialog (asks before overwriting)
    QString title;
    QString initialDirectory;
    QString fileName;
    QString filter;  // Qt filter text, e.g. "CSV Files (*.csv);;All files (*.*)"
};

class Message_Service {
public:
    virtual ~Message_Service() = default;
    // detail: shown under the text (the path of the file a message names); may be "".
    virtual Msg_Answer Show_Message(QWidget* parent, const QString& text, Msg_Buttons buttons, Msg_Icon icon,
                                    const QString& caption, const QString& detail) = 0;
    // Returns the chosen file name, "" when cancelled.
    virtual QString Show_File(QWidget* parent, const File_Dialog_Request& request) = 0;
    // The printer set-up dialog; false when cancelled.
    virtual bool Show_Print_Setup(QWidget* parent, QPrinter& printer) = 0;
};

// A name typed without an extension in a save dialog gets the one of the chosen filter
// ("CSV Files (*.csv)"); a filter of any extension adds nothing.
QString With_Filter_Suffix(const QString& name, const QString& selectedFilter);

// The service in use (the Qt one unless a test installed another).
Message_Service& Messages();
// Installs a service; returns the previous one so a test can put it back.
std::unique_ptr<Message_Service> Install_Message_Service(std::unique_ptr<Message_Service> service);

// The application title used as caption of message boxes.
QString App_Title();
void Set_App_Title(const QString& title);

// A message box; its caption defaults to the application title.
Msg_Answer Message_Box(const QString& text, Msg_Buttons buttons = Msg_Buttons::OK, Msg_Icon icon = Msg_Icon::None,
                       const QString& caption = QString(), QWidget* parent = nullptr,
                       const QString& detail = QString());

// Test stand-in: answers from a script (OK/Yes by default) and keeps what was shown.
class Recording_Message_Service : public Message_Service {
public:
    struct Shown {
        QString text;
        QString caption;
        QString detail;
        Msg_Buttons buttons;
        Msg_Icon icon;
    };
    std::vector<Shown> shown;
    std::vector<Msg_Answer> answers;  // consumed in order
    QStringList fileAnswers;  // consumed in order; "" = cancel
    std::vector<File_Dialog_Request> fileRequests;
    bool printSetupAnswer = false;
    int printSetupCount = 0;

    Msg_Answer Show_Message(QWidget*, const QString& text, Msg_Buttons buttons, Msg_Icon icon, const QString& caption,
                            const QString& detail) override;
    QString Show_File(QWidget*, const File_Dialog_Request& request) override;
    bool Show_Print_Setup(QWidget*, QPrinter&) override;
    QStringList texts() const;
};

// Installs a recorder for the lifetime of the object (tests).
class Scoped_Recorder {
public:
    Scoped_Recorder();
    ~Scoped_Recorder();
    Recording_Message_Service& operator*() { return *rec_; }
    Recording_Message_Service* operator->() { return rec_; }

private:
    Recording_Message_Service* rec_;
    std::unique_ptr<Message_Service> previous_;
};
