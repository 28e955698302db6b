#pragma once
// Loading the records again while the search window is open, and noticing when the
// workbook changes on disk meanwhile.
#include "model/File_Access.h"

#include <QObject>
#include <QString>
#include <optional>

class QFileSystemWatcher;
class QTimer;
class Search_Window;

// Which workbook the records are read from, and that file as it is on disk.
struct Workbook_State {
    QString Path;
    std::optional<File_Stamp> Stamp;  // nullopt: not there (or not a file)
    bool operator==(const Workbook_State&) const = default;
};
// The workbook a load would read now (the program's folder).
Workbook_State Workbook_State_Now();

// Tells when the workbook is no longer the file the records were read from. The cache,
// which the program itself rewrites beside it, is not watched: only the workbook's own
// stamp counts, whatever else changes in the folder. Spreadsheet programs save by
// writing a new file in the old one's place, so the folder is watched too.
class Workbook_Watcher : public QObject {
    Q_OBJECT
public:
    Workbook_Watcher(const Workbook_State& loaded, QObject* parent);
    // The records now come from the workbook as it was then.
    void Loaded(const Workbook_State& state);
    // Looks at the workbook now, as the watcher does once the events of a change settle.
    void Check();

signals:
    // Once per new state of the workbook; `workbook` is its file name.
    void Changed(const QString& workbook);

private:
    void Watch();

    QFileSystemWatcher* files_;
    QTimer* settle_;
    Workbook_State loaded_, offered_;
};

// Offers a reload on the window's bar whenever its workbook changes; `loaded` is the
// workbook the window's records were read from.
void Watch_Workbook(Search_Window* window, const Workbook_State& loaded);

// Loads the records again as at start, in the welcome window over the search window
// (its progress, its problem list). Only a load that brought records replaces the
// session's; the search then runs again on them with the criteria as they stand, and the
// record window, whose record may be another one now, closes. False when the records in
// use were kept (the load failed or was cancelled).
bool Reload_Records(Search_Window* window);
