#include "search/Name_Selection.h"

#include "model/Profile_Reader.h"
#include "model/Utils.h"

namespace {
int Compare_Names(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive); }
}  // namespace

bool Name_List::Is_Range() const { return Parent && Parent->Is_Range; }

int Name_List::Find(const QString& name) const {
    // The store is sorted, but a name can equal a neighbour without regard to case
    // only; a plain walk keeps that simple and the lists are short.
    for (size_t i = 0; i < items_.size(); ++i)
        if (Compare_Names(items_[i]->Name(), name) == 0) return static_cast<int>(i);
    return -1;
}

Name_Item* Name_List::Insert(const QString& name) {
    if (const int i = Find(name); i >= 0) return items_[static_cast<size_t>(i)].get();
    auto it = items_.begin();
    while (it != items_.end() && Compare_Names((*it)->Name(), name) <= 0) ++it;
    return items_.insert(it, std::make_unique<Name_Item>(name))->get();
}

Name_Item* Name_List::add(const QString& name) {
    if (Is_Range()) {
        Name_Item* last = nullptr;
        for (const QString& e : Expand_Range_List(name)) {
            const QString t = e.trimmed();
            if (!t.isEmpty()) last = Insert(t);
        }
        return last;
    }
    const QString t = name.trimmed();
    return t.isEmpty() ? nullptr : Insert(t);
}

Name_Item* Name_List::Item(const QString& key) const {
    const int i = Find(key);
    return i < 0 ? nullptr : items_[static_cast<size_t>(i)].get();
}

Name_Item* Name_List::Item(int position) const {
    if (position < 1 || position > Count()) return nullptr;
    return items_[static_cast<size_t>(position - 1)].get();
}

bool Name_List::Remove(const QString& key) {
    const int i = Find(key);
    if (i < 0) return false;
    items_.erase(items_.begin() + i);
    return true;
}

bool Name_List::Remove(int position) {
    if (position < 1 || position > Count()) return false;
    items_.erase(items_.begin() + (position - 1));
    return true;
}

void Name_List::Remove_All() {
    while (!items_.empty()) Remove(items_.front()->Name());
}

QStringList Name_List::Names() const {
    QStringList n;
    for (const auto& i : items_) n << i->Name();
    return n;
}

int Name_List::Load_From_Ini_Section(const QString& file, const QString& section) {
    int size = 1024;
    std::vector<char16_t> buffer(static_cast<size_t>(size));
    int got = Get_Private_Profile_Section(section, buffer.data(), size, file);
    while (got == size - 2) {
        size *= 2;
        buffer.assign(static_cast<size_t>(size), 0);
        got = Get_Private_Profile_Section(section, buffer.data(), size, file);
    }
    int entries = 0;
    const QString text = QString::fromUtf16(buffer.data(), got);
    for (QStringView line : QStringView(text).split(QChar(0))) {
        if (line.isEmpty()) continue;
        ++entries;
        add(line.left(line.indexOf(QLatin1Char('='))).toString());
    }
    return entries;
}

bool Name_List::exists(const QString& key, bool Through_Item) const {
    const QStringList names = Is_Range() ? Expand_Range_List(key) : QStringList{key};
    for (const QString& n : names) {
        const QString t = Is_Range() ? n.trimmed() : n;
        if (t.isEmpty() && Is_Range()) continue;
        if (Through_Item ? Item(t) != nullptr : Find(t) >= 0) return true;
    }
    return false;
}

Name_Selection::Name_Selection() {
    Available.Parent = this;
    Available.Kind = 1;
    Selected.Parent = this;
    Selected.Kind = 2;
}

QStringList Name_Selection::Names_Of(const QString& name) const {
    QStringList out;
    for (const QString& n : Is_Range ? Expand_Range_List(name) : QStringList{name}) {
        const QString t = n.trimmed();
        if (!t.isEmpty()) out << t;
    }
    return out;
}

bool Name_Selection::exists(const QString& name) {
    if (Available.exists(name) || Selected.exists(name)) return true;
    switch (Auto_Add) {
    case 1: return Available.add(name) != nullptr;
    case 2: return Selected.add(name) != nullptr;
    default: return false;
    }
}

void Name_Selection::Move(Name_List& from, Name_List& to, const QString& name) {
    const Name_Item* item = from.Item(name);
    if (!item) return;
    const QString held = item->Name();  // the name as held, in its own letter case
    from.Remove(held);
    to.add(held);
}

void Name_Selection::SelectAll() {
    while (Available.Count() > 0) Move(Available, Selected, Available.Item(1)->Name());
}

void Name_Selection::DeSelectAll() {
    while (Selected.Count() > 0) Move(Selected, Available, Selected.Item(1)->Name());
}

void Name_Selection::SelectItem(const QString& name) {
    for (const QString& n : Names_Of(name)) Move(Available, Selected, n);
}

void Name_Selection::DeSelectItem(const QString& name) {
    for (const QString& n : Names_Of(name)) Move(Selected, Available, n);
}
