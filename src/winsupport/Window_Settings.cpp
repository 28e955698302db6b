#include "winsupport/Window_Settings.h"

#include "winsupport/Window_Utils.h"

#include <QCryptographicHash>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

namespace {
// Beyond these a kept number is taken for damage (and would overflow a rectangle).
constexpr int Largest_Coordinate = 100000;

// The settings file; one that could not be read as settings gives nothing.
struct Settings_File {
    QSettings settings{Settings_Path(), QSettings::IniFormat};
    bool Readable() const { return settings.status() == QSettings::NoError; }
    std::optional<int> Int(const QString& key, int low, int high) const {
        bool ok = false;
        const int n = settings.value(key).toString().toInt(&ok);
        if (!ok || n < low || n > high) return std::nullopt;
        return n;
    }
    std::optional<bool> Bool(const QString& key) const {
        const QString text = settings.value(key).toString();
        if (text == QLatin1String("true")) return true;
        if (text == QLatin1String("false")) return false;
        return std::nullopt;
    }
};

QString Window_Key(const QWidget* window, const char* what) {
    return QStringLiteral("Windows/%1/%2").arg(window->objectName(), QLatin1String(what));
}

struct Kept_Place {
    QRect Inside;
    bool Maximised = false;
};

std::optional<Kept_Place> Kept_Place_Of(const QWidget* window) {
    const Settings_File file;
    if (!file.Readable()) return std::nullopt;
    const auto x = file.Int(Window_Key(window, "Left"), -Largest_Coordinate, Largest_Coordinate);
    const auto y = file.Int(Window_Key(window, "Top"), -Largest_Coordinate, Largest_Coordinate);
    const auto w = file.Int(Window_Key(window, "Width"), 1, Largest_Coordinate);
    const auto h = file.Int(Window_Key(window, "Height"), 1, Largest_Coordinate);
    const auto maximised = file.Bool(Window_Key(window, "Maximised"));
    if (!x || !y || !w || !h || !maximised) return std::nullopt;
    return Kept_Place{QRect(*x, *y, *w, *h), *maximised};
}

// Saves the window's place whenever it is hidden: closed, or destroyed while shown.
class Place_Keeper : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Hide && !e->spontaneous() && watched->isWidgetType())
            Save_Window_Place(static_cast<QWidget*>(watched));
        return false;
    }
};

// A group name of its own for each list of columns; the list itself is kept beside it.
QString Columns_Group(const QString& table, const QStringList& columns) {
    const QByteArray digest =
        QCryptographicHash::hash(columns.join(QLatin1Char('\t')).toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
    return QStringLiteral("Column_Widths/%1_%2/").arg(table, QString::fromLatin1(digest));
}
}  // namespace

std::optional<QRect> Place_On_Screens(const QRect& inside, const QList<QRect>& free_areas, const QMargins& frame) {
    if (inside.isEmpty()) return std::nullopt;
    const QPoint top_middle(inside.center().x(), inside.top());
    const auto area =
        std::find_if(free_areas.begin(), free_areas.end(), [&](const QRect& a) { return a.contains(top_middle); });
    if (area == free_areas.end()) return std::nullopt;
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize room = (area->size() - extra).expandedTo(QSize(100, 100));
    QRect outer(inside.topLeft(), inside.size().boundedTo(room));
    outer = outer.marginsAdded(frame);
    outer.moveRight(std::min(outer.right(), area->right()));
    outer.moveBottom(std::min(outer.bottom(), area->bottom()));
    outer.moveLeft(std::max(outer.left(), area->left()));
    outer.moveTop(std::max(outer.top(), area->top()));
    return outer.marginsRemoved(frame);
}

void Save_Window_Place(const QWidget* window) {
    if (!window || window->objectName().isEmpty()) return;
    QRect inside = window->normalGeometry();
    if (!inside.isValid()) inside = window->geometry();
    {
        QSettings settings(Settings_Path(), QSettings::IniFormat);
        settings.setValue(Window_Key(window, "Left"), inside.x());
        settings.setValue(Window_Key(window, "Top"), inside.y());
        settings.setValue(Window_Key(window, "Width"), inside.width());
        settings.setValue(Window_Key(window, "Height"), inside.height());
        settings.setValue(Window_Key(window, "Maximised"), window->isMaximized());
    }
    Keep_Window_Frame(window);
}

bool Restore_Window_Place(QWidget* window, bool With_Position) {
    if (!window || window->objectName().isEmpty()) return false;
    const auto kept = Kept_Place_Of(window);
    if (!kept) return false;
    const QMargins frame = Window_Frame(window);
    QRect inside = kept->Inside;
    QList<QRect> areas;
    if (With_Position) {
        for (const QScreen* s : QGuiApplication::screens()) areas << s->availableGeometry();
    } else if (const QScreen* s = window->screen()) {
        // Only the size: measured on the window's own screen, wherever it opens there.
        areas << s->availableGeometry();
        inside.moveTopLeft(areas[0].topLeft() + QPoint(frame.left(), frame.top()));
    }
    const auto placed = Place_On_Screens(inside, areas, frame);
    if (!placed) return false;
    if (!With_Position) {
        window->resize(placed->size());
        return true;
    }
    // Maximised last: the window keeps the place it had before as the one it goes back to.
    window->setWindowState(window->windowState() & ~Qt::WindowMaximized);
    window->setGeometry(*placed);
    if (kept->Maximised) window->setWindowState(window->windowState() | Qt::WindowMaximized);
    return true;
}

bool Remember_Window_Place(QWidget* window, bool With_Position) {
    if (!window) return false;
    window->installEventFilter(new Place_Keeper(window));
    return Restore_Window_Place(window, With_Position);
}

void Save_Column_Widths(const QString& table, const QStringList& columns, const QList<int>& widths) {
    QSettings settings(Settings_Path(), QSettings::IniFormat);
    const QString group = Columns_Group(table, columns);
    if (std::all_of(widths.begin(), widths.end(), [](int w) { return w <= 0; })) {
        settings.remove(group.chopped(1));
        return;
    }
    QStringList numbers;
    for (int w : widths) numbers << QString::number(std::max(w, 0));
    settings.setValue(group + QStringLiteral("Columns"), columns.join(QLatin1Char('\t')));
    settings.setValue(group + QStringLiteral("Widths"), numbers.join(QLatin1Char(',')));
}

QList<int> Kept_Column_Widths(const QString& table, const QStringList& columns) {
    const Settings_File file;
    if (!file.Readable()) return {};
    const QString group = Columns_Group(table, columns);
    if (file.settings.value(group + QStringLiteral("Columns")).toString() != columns.join(QLatin1Char('\t'))) return {};
    const QStringList numbers =
        file.settings.value(group + QStringLiteral("Widths")).toString().split(QLatin1Char(','));
    if (numbers.size() != columns.size()) return {};
    QList<int> widths;
    for (const QString& n : numbers) {
        bool ok = false;
        const int w = n.toInt(&ok);
        if (!ok || w < 0 || w > Largest_Coordinate) return {};
        widths << w;
    }
    return widths;
}

void Keep_Choice(const QString& key, bool on) { QSettings(Settings_Path(), QSettings::IniFormat).setValue(key, on); }

std::optional<bool> Kept_Choice(const QString& key) {
    const Settings_File file;
    return file.Readable() ? file.Bool(key) : std::nullopt;
}
