#include "model/Refs.h"

#include "model/Value.h"

#include <cmath>

namespace {
bool Part_Is_Numeric(const QString& s) { return Is_Numeric_Text(s); }
int Part_Lng(const QString& s) {
    const auto v = To_Whole(Value::String(s));
    return v ? *v : 0;
}
}  // namespace

void Ref::Set_Cle(const QString& cle) {
    cle_ = cle;
    const qsizetype dot = cle.indexOf(QLatin1Char('.'));
    if (dot < 0) { major_ = cle; minor_.clear(); }
    else { major_ = cle.left(dot); minor_ = cle.mid(dot + 1); }
}

void Ref::Rebuild_Cle() { cle_ = minor_.isEmpty() ? major_ : major_ + QLatin1Char('.') + minor_; }
void Ref::Set_Major(const QString& major) { major_ = major; Rebuild_Cle(); }
void Ref::Set_Minor(const QString& minor) { minor_ = minor; Rebuild_Cle(); }
int Ref::Major_lng() const { return Part_Lng(major_); }
bool Ref::Major_isnumeric() const { return Part_Is_Numeric(major_); }
int Ref::Minor_lng() const { return Part_Lng(minor_); }
bool Ref::Minor_isnumeric() const { return Part_Is_Numeric(minor_); }

Ref* Refs::add(const QString& cle, const QString& valeur) {
    const QString k = Key(cle);
    if (index_.contains(k)) return nullptr;
    Ref r;
    r.Set_Cle(cle);
    r.Valeur = valeur;
    items_.push_back(std::move(r));
    index_.insert(k, Count() - 1);
    return &items_.back();
}

Ref* Refs::Item(const QString& key) {
    const auto it = index_.constFind(Key(key));
    return it == index_.cend() ? nullptr : &items_[*it];
}
const Ref* Refs::Item(const QString& key) const { return const_cast<Refs*>(this)->Item(key); }
Ref* Refs::Item(int index) { return index >= 1 && index <= Count() ? &items_[index - 1] : nullptr; }
const Ref* Refs::Item(int index) const { return const_cast<Refs*>(this)->Item(index); }

void Refs::Reindex() {
    index_.clear();
    for (int i = 0; i < Count(); ++i) index_.insert(Key(items_[i].Cle()), i);
}

bool Refs::Remove(const QString& key) {
    const auto it = index_.constFind(Key(key));
    if (it == index_.cend()) return false;
    items_.erase(items_.begin() + *it);
    Reindex();
    return true;
}

bool Refs::Remove(int index) {
    if (index < 1 || index > Count()) return false;
    items_.erase(items_.begin() + (index - 1));
    Reindex();
    return true;
}
