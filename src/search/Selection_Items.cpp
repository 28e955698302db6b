#include "search/Selection_Items.h"

#include "model/Profile_Reader.h"
#include "model/Utils.h"

namespace {
int Compare_Names(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive); }
}  // namespace

bool Coll_Selection_Item::Plage() const { return Parent && Parent->Plage; }

int Coll_Selection_Item::Find(const QString& name) const {
    // The store is sorted, but a name can equal a neighbour without regard to case
    // only; a plain walk keeps that simple and the lists are short.
    for (size_t i = 0; i < items_.size(); ++i)
        if (Compare_Names(items_[i]->Nom(), name) == 0) return static_cast<int>(i);
    return -1;
}

Selection_Item* Coll_Selection_Item::Insert(const QString& name) {
    if (const int i = Find(name); i >= 0) return items_[static_cast<size_t>(i)].get();
    auto it = items_.begin();
    while (it != items_.end() && Compare_Names((*it)->Nom(), name) <= 0) ++it;
    return items_.insert(it, std::make_unique<Selection_Item>(name))->get();
}

Selection_Item* Coll_Selection_Item::add(const QString& name) {
    if (Plage()) {
        Selection_Item* last = nullptr;
        for (const QString& e : Expand_Range_List(name)) {
            const QString t = e.trimmed();
            if (!t.isEmpty()) last = Insert(t);
        }
        return last;
    }
    const QString t = name.trimmed();
    return t.isEmpty() ? nullptr : Insert(t);
}

Selection_Item* Coll_Selection_Item::Item(const QString& key) const {
    const int i = Find(key);
    return i < 0 ? nullptr : items_[static_cast<size_t>(i)].get();
}

Selection_Item* Coll_Selection_Item::Item(int position) const {
    if (position < 1 || position > Count()) return nullptr;
    return items_[static_cast<size_t>(position - 1)].get();
}

bool Coll_Selection_Item::Remove(const QString& key) {
    const int i = Find(key);
    if (i < 0) return false;
    items_.erase(items_.begin() + i);
    return true;
}

bool Coll_Selection_Item::Remove(int position) {
    if (position < 1 || position > Count()) return false;
    items_.erase(items_.begin() + (position - 1));
    return true;
}

void Coll_Selection_Item::Remove_All() {
    while (!items_.empty()) Remove(items_.front()->Nom());
}

QStringList Coll_Selection_Item::Names() const {
    QStringList n;
    for (const auto& i : items_) n << i->Nom();
    return n;
}

QString Coll_Selection_Item::Name_List(const QString& separator) const { return Names().join(separator); }

int Coll_Selection_Item::Load_From_Ini_Section(const QString& file, const QString& section) {
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

bool Coll_Selection_Item::exists(const QString& key, bool Through_Item) const {
    const QStringList names = Plage() ? Expand_Range_List(key) : QStringList{key};
    for (const QString& n : names) {
        const QString t = Plage() ? n.trimmed() : n;
        if (t.isEmpty() && Plage()) continue;
        if (Through_Item ? Item(t) != nullptr : Find(t) >= 0) return true;
    }
    return false;
}

int Coll_Selection_Item::indice(const QString& name) const {
    const int i = Find(name);
    return i < 0 ? -1 : i + 1;
}

Field::Field() {
    Available.Parent = this;
    Available.WhatType = 1;
    Selected.Parent = this;
    Selected.WhatType = 2;
}

QStringList Field::Names_Of(const QString& name) const {
    QStringList out;
    for (const QString& n : Plage ? Expand_Range_List(name) : QStringList{name}) {
        const QString t = n.trimmed();
        if (!t.isEmpty()) out << t;
    }
    return out;
}

bool Field::exists(const QString& name) {
    if (Available.exists(name) || Selected.exists(name)) return true;
    switch (Auto_Add) {
    case 1: return Available.add(name) != nullptr;
    case 2: return Selected.add(name) != nullptr;
    default: return false;
    }
}

void Field::Move(Coll_Selection_Item& from, Coll_Selection_Item& to, const QString& name) {
    const Selection_Item* item = from.Item(name);
    if (!item) return;
    const QString nom = item->Nom();  // the name as held, in its own letter case
    from.Remove(nom);
    to.add(nom);
}

void Field::SelectAll() {
    while (Available.Count() > 0) Move(Available, Selected, Available.Item(1)->Nom());
}

void Field::DeSelectAll() {
    while (Selected.Count() > 0) Move(Selected, Available, Selected.Item(1)->Nom());
}

void Field::SelectItem(const QString& name) {
    for (const QString& n : Names_Of(name)) Move(Available, Selected, n);
}

void Field::DeSelectItem(const QString& name) {
    for (const QString& n : Names_Of(name)) Move(Selected, Available, n);
}
