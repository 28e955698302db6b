#include "winsupport/Window_Utils.h"

#include "model/Utils.h"
#include "winsupport/Message_Service.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTextDocument>
#include <QWidget>
#include <algorithm>
#include <optional>

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

int Fit_Drop_Down_List(QComboBox* list, int limit) {
    if (!list || !list->window() || list->window() == list) return 0;
    const int count = list->count();
    if (count <= 8) return list->maxVisibleItems();
    QWidget* win = list->window();
    const int entry = std::max(1, list->view() ? list->view()->sizeHintForRow(0) : list->height());
    const int top = list->mapTo(win, QPoint(0, 0)).y();
    const int below = limit - top - list->height();
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

// Never beside the executable: the program's folder may be read-only or shared.
QString Settings_Path() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Sifa_Soft/Sifa_Soft.ini");
}

namespace {
const QString Last_Folder_Key = QStringLiteral("Files/Last_Folder");

QString Last_Folder_Key_Of(const QString& kind) {
    return kind.isEmpty() ? Last_Folder_Key : Last_Folder_Key + QLatin1Char('_') + kind;
}
}  // namespace

QString Last_Folder(const QString& kind) {
    const QSettings settings(Settings_Path(), QSettings::IniFormat);
    // A damaged file holds no folder worth trusting.
    if (settings.status() == QSettings::NoError)
        for (const QString& key : {Last_Folder_Key_Of(kind), Last_Folder_Key}) {
            const QString kept = settings.value(key).toString();
            if (!kept.isEmpty() && QFileInfo(kept).isDir()) return kept;
        }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void Remember_Folder(const QString& folder, const QString& kind) {
    if (folder.isEmpty()) return;
    QSettings settings(Settings_Path(), QSettings::IniFormat);
    settings.setValue(Last_Folder_Key, QDir::cleanPath(folder));
    if (!kind.isEmpty()) settings.setValue(Last_Folder_Key_Of(kind), QDir::cleanPath(folder));
}

QString Show_Save_Dialog(QWidget* parent, const QString& title, const QString& suggestedName,
                         const QStringList& filters, const QString& kind) {
    const QString name = Show_File_Dialog(parent, 2, title, Last_Folder(kind), suggestedName, filters);
    if (!name.isEmpty()) Remember_Folder(QFileInfo(name).absolutePath(), kind);
    return name;
}

Wait_Cursor::Wait_Cursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
Wait_Cursor::~Wait_Cursor() { QApplication::restoreOverrideCursor(); }

namespace {
QString Frame_Key(const QWidget* window) { return QStringLiteral("Windows/%1/Frame").arg(window->objectName()); }

// Left, top, right and bottom, as "1,20,1,4"; none when the text is anything else.
std::optional<QMargins> Frame_Of_Text(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    int n[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        n[i] = parts[i].toInt(&ok);
        if (!ok || n[i] < 0 || n[i] > 200) return std::nullopt;
    }
    return QMargins(n[0], n[1], n[2], n[3]);
}
}  // namespace

QMargins Window_Frame(const QWidget* window, bool* framed) {
    const QRect inside = window->geometry(), outside = window->frameGeometry();
    const QMargins frame(inside.left() - outside.left(), inside.top() - outside.top(), outside.right() - inside.right(),
                         outside.bottom() - inside.bottom());
    if (framed) *framed = !frame.isNull();
    if (!frame.isNull()) return frame;
    // Not framed yet. A guess larger than the real frame would move a window left at the
    // top edge down a little at each start.
    if (!window->objectName().isEmpty()) {
        const QSettings settings(Settings_Path(), QSettings::IniFormat);
        if (settings.status() == QSettings::NoError)
            if (const auto kept = Frame_Of_Text(settings.value(Frame_Key(window)).toString())) return *kept;
    }
    return QMargins(8, 32, 8, 8);  // the usual caption and borders
}

void Keep_Window_Frame(const QWidget* window) {
    bool framed = false;
    const QMargins frame = Window_Frame(window, &framed);
    // A maximised window's frame is not the one it opens with.
    if (!framed || window->objectName().isEmpty() || window->isMaximized()) return;
    QSettings(Settings_Path(), QSettings::IniFormat)
        .setValue(
            Frame_Key(window),
            QStringLiteral("%1,%2,%3,%4").arg(frame.left()).arg(frame.top()).arg(frame.right()).arg(frame.bottom()));
}

void Fit_To_Screen(QWidget* window) {
    if (!window || !window->isWindow() || !window->screen()) return;
    const QRect free = window->screen()->availableGeometry();
    bool framed = false;
    const QMargins frame = Window_Frame(window, &framed);
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize room = (free.size() - extra).expandedTo(QSize(100, 100));
    if (window->minimumWidth() > room.width() || window->minimumHeight() > room.height())
        window->setMinimumSize(window->minimumSize().boundedTo(room));
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room));
    QRect outer = window->geometry().marginsAdded(frame);
    if (!free.contains(outer)) {
        outer.moveRight(std::min(outer.right(), free.right()));
        outer.moveBottom(std::min(outer.bottom(), free.bottom()));
        outer.moveLeft(std::max(outer.left(), free.left()));
        outer.moveTop(std::max(outer.top(), free.top()));
        // Placed by its inside: a window not yet framed would take a moved position as
        // its inside's, and its caption would go above the screen.
        // One the program never placed is left to the window manager until it is framed.
        if (window->testAttribute(Qt::WA_Moved) || (framed && window->isVisible()))
            window->setGeometry(outer.marginsRemoved(frame));
    }
}

namespace {
class Screen_Keeper : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Show && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow()) Fit_To_Screen(w);
        }
        return false;
    }
};
}  // namespace

void Keep_Windows_On_Screen() {
    static Screen_Keeper* keeper = nullptr;
    if (keeper || !qApp) return;
    keeper = new Screen_Keeper(qApp);
    qApp->installEventFilter(keeper);
}

QString Plain_Caption(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

void Add_Mnemonics(QWidget* window) {
    if (!window) return;
    // A dialog over the window has letters of its own.
    QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
    buttons.removeIf([window](const QAbstractButton* b) { return b->window() != window->window(); });
    const auto marked = [](const QString& text) {
        for (qsizetype i = 0; i + 1 < text.size(); ++i) {
            if (text[i] != QLatin1Char('&')) continue;
            if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toLower();
            ++i;
        }
        return QChar();
    };
    QSet<QChar> used;
    for (const QAbstractButton* b : buttons)
        if (const QChar m = marked(b->text()); !m.isNull()) used.insert(m);
    // A label's letter moves to its control, a checkable frame's toggles it: theirs are taken.
    for (const QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() && l->window() == window->window()) used.insert(marked(l->text()));
    for (const QGroupBox* g : window->findChildren<QGroupBox*>())
        if (g->isCheckable() && g->window() == window->window()) used.insert(marked(g->title()));
    // Captions with the fewest letters choose first ("Aide" beside "Exporter", "Imprimer"
    // and "Décomptes" keeps a letter of its own); longer ones still find a free letter.
    const auto letters = [](const QString& text) {
        QSet<QChar> in;
        for (const QChar c : text)
            if (c.isLetterOrNumber()) in.insert(c.toLower());
        return in.size();
    };
    std::stable_sort(buttons.begin(), buttons.end(), [&letters](const QAbstractButton* a, const QAbstractButton* b) {
        return letters(a->text()) < letters(b->text());
    });
    for (QAbstractButton* b : buttons) {
        const QString text = b->text();
        if (text.isEmpty() || !marked(text).isNull()) continue;
        // The first letter of a word that is free, else any free letter.
        qsizetype at = -1;
        for (int pass = 0; pass < 2 && at < 0; ++pass)
            for (qsizetype i = 0; i < text.size() && at < 0; ++i) {
                const bool word_start = i == 0 || !text[i - 1].isLetterOrNumber();
                if ((pass == 0 && !word_start) || !text[i].isLetterOrNumber() || used.contains(text[i].toLower()))
                    continue;
                at = i;
            }
        if (at < 0) continue;
        used.insert(text[at].toLower());
        QString with = text;
        with.replace(QLatin1String("&"), QLatin1String("&&"));
        // Doubled ampersands before the letter move it on.
        const qsizetype shift = text.left(at).count(QLatin1Char('&'));
        with.insert(at + shift, QLatin1Char('&'));
        b->setText(with);
    }
}

void Label_Lists_For_Screen_Readers(QWidget* window) {
    if (!window) return;
    for (QComboBox* list : window->findChildren<QComboBox*>()) {
        QWidget* parent = list->parentWidget();
        if (list->window() != window->window() || list->accessibleName().isEmpty() || !parent) continue;
        QLabel* label = nullptr;
        bool labelled = false;
        for (QLabel* l : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            if (l->buddy() != list) continue;
            if (l->property("for_screen_readers").toBool())
                label = l;
            else
                labelled = true;
        }
        if (labelled) continue;
        if (!label) {
            label = new QLabel(parent);
            label->setProperty("for_screen_readers", true);
            label->setBuddy(list);
            label->hide();
        }
        label->setText(list->accessibleName());
    }
}

QString Tip_With_Keys(const QString& tip, const QKeySequence& keys) {
    return QStringLiteral("%1 (%2)").arg(tip, keys.toString(QKeySequence::NativeText));
}

QString Titled_Tip(const QString& title, const QString& text) {
    const QString shown = title.size() >= 100 ? title.left(96) + QStringLiteral("...") : title;
    return QStringLiteral("<b>%1</b>").arg(shown.toHtmlEscaped()) +
           Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

QString Indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }
