#pragma once
// What the windows keep between runs in the user's settings file (Settings_Path): where
// each window was left, the column widths a user set by hand, yes/no choices. Every value
// read back is checked: a damaged or foreign file, a value of the wrong kind or one that
// no longer fits gives the default, never an error.
#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// Where a window left with its inside at inside opens again, on screens whose free areas
// are given, its frame being frame: on the screen holding the middle of its top edge, cut
// to that screen and moved fully onto it. None when no screen holds that point (the
// screen is gone) or the rectangle is empty.
std::optional<QRect> Place_On_Screens(const QRect& inside, const QList<QRect>& free_areas, const QMargins& frame);

// Keeps the size, position and maximised state of a window under its object name.
void Save_Window_Place(const QWidget* window);
// Gives a window not yet shown the place it was left in (only its size when
// With_Position is false). False, the window untouched, when none fits.
bool Restore_Window_Place(QWidget* window, bool With_Position = true);
// Restores the window's place now and keeps it each time the window is closed or hidden.
bool Remember_Window_Place(QWidget* window, bool With_Position = true);

// Widths (pixels, 0 for a column not set by hand) of the columns of a table showing the
// columns named columns, kept per table and list of columns: another list of columns,
// as after a change of the data, has none.
void Save_Column_Widths(const QString& table, const QStringList& columns, const QList<int>& widths);
QList<int> Kept_Column_Widths(const QString& table, const QStringList& columns);

// A yes/no choice kept under key ("Group/Name").
void Keep_Choice(const QString& key, bool on);
std::optional<bool> Kept_Choice(const QString& key);
