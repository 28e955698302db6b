#include "model/Refs.h"

#include "model/Value.h"

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
    if (dot < 0) {
        major_ = cle;
        minor_.clear();
    } else {
        major_ = cle.left(dot);
        minor_ = cle.mid(dot + 1);
    }
}

int Ref::Major_lng() const { return Part_Lng(major_); }
bool Ref::Major_isnumeric() const { return Part_Is_Numeric(major_); }
int Ref::Minor_lng() const { return Part_Lng(minor_); }
bool Ref::Minor_isnumeric() const { return Part_Is_Numeric(minor_); }

Ref* Refs::add(const QString& cle, const QString& valeur) {
    const QString k = Key(cle);
    if (index_.contains(k)) return nullptr;
    Slot slot;
    slot.key = k;
    slot.ref.Set_Cle(cle);
    slot.ref.Valeur = valeur;
    slots_.push_back(std::move(slot));
    index_.insert(k, static_cast<qsizetype>(slots_.size()) - 1);
    ++live_;
    return &slots_.back().ref;
}

Ref* Refs::Item(const QString& key) {
    const auto it = index_.constFind(Key(key));
    return it == index_.cend() ? nullptr : &slots_[static_cast<size_t>(*it)].ref;
}
const Ref* Refs::Item(const QString& key) const { return const_cast<Refs*>(this)->Item(key); }

Ref* Refs::Item(int index) {
    if (index < 1 || index > Count()) return nullptr;
    Compact();
    return &slots_[static_cast<size_t>(index - 1)].ref;
}
const Ref* Refs::Item(int index) const { return const_cast<Refs*>(this)->Item(index); }

void Refs::Compact() {
    if (static_cast<size_t>(live_) == slots_.size()) return;
    std::erase_if(slots_, [](const Slot& s) { return !s.live; });
    index_.clear();
    for (size_t i = 0; i < slots_.size(); ++i) index_.insert(slots_[i].key, static_cast<qsizetype>(i));
}

bool Refs::Remove(const QString& key) {
    const auto it = index_.constFind(Key(key));
    if (it == index_.cend()) return false;
    Slot& s = slots_[static_cast<size_t>(*it)];
    s.live = false;
    s.ref = Ref();
    index_.erase(it);
    --live_;
    return true;
}
