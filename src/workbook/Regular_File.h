#pragma once
// Opening a file the program did not make, and saying in plain words why a file could not
// be used: the workbook readers and the rest of the program alike.
#include <QFile>
#include <QString>

// Opens path for reading when it is a regular file (a link to one counts); false
// otherwise, without ever waiting on a pipe or a device.
bool Open_Regular_File(QFile& file, const QString& path, QIODevice::OpenMode extra = {});

// An operating-system error number in a few plain words ("the disk is full").
QString Plain_System_Error(int error);
