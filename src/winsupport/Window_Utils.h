#pragma once
// The window routines shared by several windows.
#include <QFont>
#include <QMargins>
#include <QString>
#include <QStringList>

class QComboBox;
class QKeySequence;
class QWidget;

// A widget given its object name (tests find widgets by it), and the name of row i's
// widget of a kind: Indexed("Value_Text", 2) is "Value_Text_2".
template <class T> T* Named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}
QString Indexed(const char* name, int i);

// Keeps position and size; only moves the window in or out of the topmost band.
void Set_Window_On_Top(QWidget* window, bool onTop);
// Lets an opening list of more than 8 entries show as many as fit between the list and
// limit (an inner height of the window, in pixels). Answers the entries it will show.
int Fit_Drop_Down_List(QComboBox* list, int limit);
// mode 1: open an existing file; other: save (asks before overwriting). filters are
// pairs of description and pattern, as "CSV Files", "*.csv". "" when cancelled.
QString Show_File_Dialog(QWidget* parent, int mode, const QString& title, const QString& initialDirectory,
                         const QString& fileName, const QStringList& filters);
// A save dialog that starts in the folder used last for this kind of file with a
// suggested name; the chosen file's folder is remembered for the next one, also after a
// restart.
QString Show_Save_Dialog(QWidget* parent, const QString& title, const QString& suggestedName,
                         const QStringList& filters, const QString& kind = QString());
// The folder a file dialog of a kind ("Export", "Chart", ...: a name the caller gives)
// starts in: the one used last for that kind when it still exists, else the one used last
// by any dialog, else the user's documents (or home) folder.
QString Last_Folder(const QString& kind = QString());
// The user's settings file (the folders used last, the interface language, the windows'
// places), in the user's configuration folder.
QString Settings_Path();
void Remember_Folder(const QString& folder, const QString& kind = QString());
// The Qt filter text of description/pattern pairs, completed as Join_Filter completes them.
QString Qt_File_Filter(const QStringList& filters);

// No window larger than the free area of its screen (a small screen, a large scale
// factor): its size and smallest size are cut to fit, frame included, and it is moved
// inside. Keep_Windows_On_Screen does it for every window shown from then on.
void Fit_To_Screen(QWidget* window);
// The frame the window manager draws around a window; before it is framed, the frame it
// had when Keep_Window_Frame kept it (in an earlier run), else the usual caption and
// borders (framed, when given, says whether it is framed).
QMargins Window_Frame(const QWidget* window, bool* framed = nullptr);
void Keep_Window_Frame(const QWidget* window);
void Keep_Windows_On_Screen();

// Gives every button, check box and option of a window an underlined letter of its own
// (Alt and the letter), the captions otherwise as they are; run again after captions
// change, it keeps the letters already given.
void Add_Mnemonics(QWidget* window);
// A tip naming the keys that do the same: "Move all (Alt+Shift+Right)", in the keys'
// names of the interface's language.
QString Tip_With_Keys(const QString& tip, const QKeySequence& keys);
// On the desktop's accessibility bus a list's name is its current entry and it is
// introduced by the label that names it: each named list of the window without a
// label gets a hidden one saying its name. Run again after the names change.
void Label_Lists_For_Screen_Readers(QWidget* window);
// A caption as shown, without its mnemonic marker.
QString Plain_Caption(const QString& caption);

// A tooltip's rich text: the title in bold over the text, both as written (line breaks
// kept); a title of 100 characters or more is cut to its first 96 and "...".
QString Titled_Tip(const QString& title, const QString& text);

// The hourglass for the lifetime of the object; always put back.
class Wait_Cursor {
public:
    Wait_Cursor();
    ~Wait_Cursor();
    Wait_Cursor(const Wait_Cursor&) = delete;
    Wait_Cursor& operator=(const Wait_Cursor&) = delete;
};
