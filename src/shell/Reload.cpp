#include "shell/Reload.h"

#include "model/Load_Records.h"
#include "model/Session.h"
#include "shell/Welcome.h"
#include "views/Record_Window.h"
#include "views/Reload_Bar.h"
#include "views/Search_Window.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

Workbook_State Workbook_State_Now() {
    const QString path = Default_Load_Files().Source;
    return {path, Stamp_Of_Path(path)};
}

Workbook_Watcher::Workbook_Watcher(const Workbook_State& loaded, QObject* parent)
    : QObject(parent),
      files_(new QFileSystemWatcher(this)),
      settle_(new QTimer(this)),
      loaded_(loaded),
      offered_(loaded) {
    // A save comes as several events (a temporary written, renamed, a lock file): the
    // workbook is looked at once they have settled.
    settle_->setSingleShot(true);
    settle_->setInterval(300);
    connect(files_, &QFileSystemWatcher::fileChanged, settle_, qOverload<>(&QTimer::start));
    connect(files_, &QFileSystemWatcher::directoryChanged, settle_, qOverload<>(&QTimer::start));
    connect(settle_, &QTimer::timeout, this, &Workbook_Watcher::Check);
    Watch();
}

void Workbook_Watcher::Watch() {
    // The file saved anew is another file: the watch follows the one now there.
    const QString path = Workbook_State_Now().Path;
    const QString folder = QFileInfo(path).absolutePath();
    if (!files_->directories().contains(folder) && QFileInfo(folder).isDir()) files_->addPath(folder);
    if (!files_->files().contains(path) && QFileInfo(path).isFile()) files_->addPath(path);
}

void Workbook_Watcher::Loaded(const Workbook_State& state) {
    loaded_ = offered_ = state;
    Check();
}

void Workbook_Watcher::Check() {
    Watch();
    const Workbook_State now = Workbook_State_Now();
    // A workbook gone has nothing new to load; one closed unchanged is offered once.
    if (!now.Stamp || now == loaded_ || now == offered_) return;
    offered_ = now;
    emit Changed(QFileInfo(now.Path).fileName());
}

void Watch_Workbook(Search_Window* window, const Workbook_State& loaded) {
    auto* watcher = new Workbook_Watcher(loaded, window);
    QObject::connect(watcher, &Workbook_Watcher::Changed, window->Reload_Offer, &Reload_Bar::Offer);
}

bool Reload_Records(Search_Window* window) {
    Session& session = window->Session_In_Use;
    window->Reload_Offer->hide();
    const Workbook_State before = Workbook_State_Now();
    Records_Table loaded(&session.Description());
    bool taken = false;
    {
        Welcome welcome(session, loaded, window);
        taken = welcome.exec() == QDialog::Accepted && welcome.Records_Loaded && loaded.Record_Count() > 0;
    }
    if (auto* watcher = window->findChild<Workbook_Watcher*>()) watcher->Loaded(before);
    if (!taken) return false;
    if (Record_Window* shown = Current_Record_Window(); shown && &shown->Shown_Session() == &session) delete shown;
    session.Records().Swap(loaded);
    window->Run_Search_Now();
    // `loaded` holds the old records now; nothing shows them any more.
    return true;
}
