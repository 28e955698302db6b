#include "winsupport/Message_Service.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace {

// When a dialog closes, some window managers activate no window at all (the file dialog
// after its overwrite question): the window that asked gets the keyboard back.
class Return_Focus {
public:
    explicit Return_Focus(QWidget* parent) : window_(parent ? parent->window() : nullptr) {}
    ~Return_Focus() {
        if (window_ && window_->isVisible()) window_->activateWindow();
    }
    Return_Focus(const Return_Focus&) = delete;
    Return_Focus& operator=(const Return_Focus&) = delete;

private:
    QPointer<QWidget> window_;
};

class Qt_Message_Service : public Message_Service {
public:
    Msg_Answer Show_Message(QWidget* parent, const QString& text, Msg_Buttons buttons, Msg_Icon icon,
                            const QString& caption, const QString& detail) override {
        const Return_Focus back(parent);
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        if (!detail.isEmpty()) box.setInformativeText(detail);
        switch (icon) {
        case Msg_Icon::None: box.setIcon(QMessageBox::NoIcon); break;
        case Msg_Icon::Information: box.setIcon(QMessageBox::Information); break;
        case Msg_Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case Msg_Icon::Critical: box.setIcon(QMessageBox::Critical); break;
        case Msg_Icon::Question: box.setIcon(QMessageBox::Question); break;
        }
        switch (buttons) {
        case Msg_Buttons::OK: box.setStandardButtons(QMessageBox::Ok); break;
        case Msg_Buttons::OKCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case Msg_Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case Msg_Buttons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        // Wide enough for its title and the frame's buttons: a short message must not cut
        // the caption down to its first and last letters. A spacer row under the text, not
        // a minimum width on the text's label: the box takes its size from that label's
        // own minimum, and a fixed one would cut longer texts after their first words.
        // Added last: setting the icon or the detail lays the box out anew.
        if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
            grid->addItem(new QSpacerItem(box.fontMetrics().horizontalAdvance(caption) + 120, 0, QSizePolicy::Fixed,
                                          QSizePolicy::Minimum),
                          grid->rowCount(), 0, 1, grid->columnCount());
        switch (box.exec()) {
        case QMessageBox::Cancel: return Msg_Answer::Cancel;
        case QMessageBox::Yes: return Msg_Answer::Yes;
        case QMessageBox::No: return Msg_Answer::No;
        default:
            return buttons == Msg_Buttons::OK || buttons == Msg_Buttons::OKCancel ? Msg_Answer::OK : Msg_Answer::Cancel;
        }
    }

    QString Show_File(QWidget* parent, const File_Dialog_Request& r) override {
        const Return_Focus back(parent);
        QString start = r.initialDirectory;
        if (!r.fileName.isEmpty()) start = start.isEmpty() ? r.fileName : start + QLatin1Char('/') + r.fileName;
        if (r.open) return QFileDialog::getOpenFileName(parent, r.title, start, r.filter);
        QString chosenFilter;
        const QString name = QFileDialog::getSaveFileName(parent, r.title, start, r.filter, &chosenFilter);
        return name.isEmpty() ? name : With_Filter_Suffix(name, chosenFilter);
    }

    bool Show_Print_Setup(QWidget* parent, QPrinter& printer) override {
        const Return_Focus back(parent);
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
};

std::unique_ptr<Message_Service>& Current() {
    static std::unique_ptr<Message_Service> service = std::make_unique<Qt_Message_Service>();
    return service;
}

QString& Title() {
    static QString title;
    return title;
}

}  // namespace

QString With_Filter_Suffix(const QString& name, const QString& selectedFilter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)[ );]"));
    const QRegularExpressionMatch m = pattern.match(selectedFilter);
    if (!m.hasMatch() || !QFileInfo(name).suffix().isEmpty()) return name;
    return name + QLatin1Char('.') + m.captured(1);
}

Message_Service& Messages() { return *Current(); }

std::unique_ptr<Message_Service> Install_Message_Service(std::unique_ptr<Message_Service> service) {
    std::unique_ptr<Message_Service> previous = std::move(Current());
    Current() = service ? std::move(service) : std::make_unique<Qt_Message_Service>();
    return previous;
}

QString App_Title() { return Title(); }

void Set_App_Title(const QString& title) {
    Title() = title;
    // Not the display name too: Qt would append it to every window's caption.
    QCoreApplication::setApplicationName(title);
}

Msg_Answer Message_Box(const QString& text, Msg_Buttons buttons, Msg_Icon icon, const QString& caption, QWidget* parent,
                       const QString& detail) {
    if (!parent) parent = QApplication::activeWindow();
    return Messages().Show_Message(parent, text, buttons, icon, caption.isEmpty() ? App_Title() : caption, detail);
}

Msg_Answer Recording_Message_Service::Show_Message(QWidget*, const QString& text, Msg_Buttons buttons, Msg_Icon icon,
                                                   const QString& caption, const QString& detail) {
    shown.push_back({text, caption, detail, buttons, icon});
    if (!answers.empty()) {
        const Msg_Answer a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    return buttons == Msg_Buttons::OK || buttons == Msg_Buttons::OKCancel ? Msg_Answer::OK : Msg_Answer::Yes;
}

QString Recording_Message_Service::Show_File(QWidget*, const File_Dialog_Request& request) {
    fileRequests.push_back(request);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

bool Recording_Message_Service::Show_Print_Setup(QWidget*, QPrinter&) {
    ++printSetupCount;
    return printSetupAnswer;
}

QStringList Recording_Message_Service::texts() const {
    QStringList t;
    for (const Shown& s : shown) t << s.text;
    return t;
}

Scoped_Recorder::Scoped_Recorder() {
    auto rec = std::make_unique<Recording_Message_Service>();
    rec_ = rec.get();
    previous_ = Install_Message_Service(std::move(rec));
}

Scoped_Recorder::~Scoped_Recorder() { Install_Message_Service(std::move(previous_)); }
