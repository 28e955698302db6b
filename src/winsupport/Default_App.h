#pragma once
// Handing a document to the application the desktop associates with its type.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

class Default_App_Backend {
public:
    virtual ~Default_App_Backend() = default;
    // The program and the arguments that open file; an empty program when the desktop
    // associates no application with the file's type.
    struct Command {
        QString program;
        QStringList arguments;
    };
    virtual Command Find_Executable(const QString& file) = 0;
    // Starts the command detached; false when it could not be started.
    virtual bool Start(const Command& command) = 0;
};

// The backend of this platform (desktop entries on Linux, the shell on Windows).
std::unique_ptr<Default_App_Backend> Create_Platform_Default_App_Backend();
// Installs a backend (tests); returns the previous one; nullptr puts the platform one back.
std::unique_ptr<Default_App_Backend> Install_Default_App_Backend(std::unique_ptr<Default_App_Backend> backend);

// true when the file was handed to its application; otherwise a message box says why.
bool Open_With_Default_App(const QString& FileName);
// A web address in the desktop's browser; false (and a message box) when none opened it.
bool Open_Web_Address(const QUrl& url);

// Linux: the arguments of a desktop entry's Exec line for file (field codes replaced,
// quoting undone). Empty when the line cannot be used.
QStringList Desktop_Exec_Arguments(const QString& exec, const QString& file);
