#include "winsupport/Window_Utils.h"

#include "model/Utils.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Twips.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QWidget>

void Set_Window_On_Top(QWidget* window, bool onTop) {
    if (!window) return;
    QWidget* top = window->window();
    if (top->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    const bool visible = top->isVisible();
    const QRect geometry = top->geometry();
    top->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);  // hides a shown window
    if (visible) {
        top->setGeometry(geometry);
        top->show();
    }
}

int Fit_Drop_Down_List(QComboBox* list, int limitTwips) {
    if (!list || !list->window() || list->window() == list) return 0;
    const int count = list->count();
    if (count <= 8) return list->maxVisibleItems();
    QWidget* win = list->window();
    const int entry = std::max(1, list->view() ? list->view()->sizeHintForRow(0) : list->height());
    const int top = list->mapTo(win, QPoint(0, 0)).y();
    const int below = Twips_To_Pixels_Y(limitTwips, win) - top - list->height();
    const int fit = std::max(0, below / entry);
    const int k = std::max(1, count > fit ? fit : count);
    list->setMaxVisibleItems(k);
    return k;
}

QString Qt_File_Filter(const QStringList& filters) {
    // Join_Filter completes an odd list with "*.*"; read its pairs back.
    const QStringList parts = Join_Filter(filters, QStringLiteral("|")).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(parts[i], pattern);
    }
    return out.join(QStringLiteral(";;"));
}

QString Show_File_Dialog(QWidget* parent, int mode, const QString& title, const QString& initialDirectory,
                         const QString& fileName, const QStringList& filters) {
    File_Dialog_Request r;
    r.open = mode == 1;
    r.title = title;
    r.initialDirectory = initialDirectory;
    r.fileName = fileName;
    r.filter = Qt_File_Filter(filters);
    return Messages().Show_File(parent, r);
}

Wait_Cursor::Wait_Cursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
Wait_Cursor::~Wait_Cursor() { QApplication::restoreOverrideCursor(); }
