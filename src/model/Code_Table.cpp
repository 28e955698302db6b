#include "model/Code_Table.h"

#include "model/Value.h"

namespace {
bool Part_Is_Numeric(const QString& s) { return Is_Numeric_Text(s); }
int Part_Number(const QString& s) {
    const auto v = To_Whole(Value::String(s));
    return v ? *v : 0;
}
}  // namespace

void Code_Entry::Set_Code(const QString& code) {
    code_ = code;
    const qsizetype dot = code.indexOf(QLatin1Char('.'));
    if (dot < 0) {
        major_ = code;
        minor_.clear();
    } else {
        major_ = code.left(dot);
        minor_ = code.mid(dot + 1);
    }
}

int Code_Entry::Major_Number() const { return Part_Number(major_); }
bool Code_Entry::Major_Is_Numeric() const { return Part_Is_Numeric(major_); }
int Code_Entry::Minor_Number() const { return Part_Number(minor_); }
bool Code_Entry::Minor_Is_Numeric() const { return Part_Is_Numeric(minor_); }

Code_Entry* Code_Table::add(const QString& code, const QString& label_text) {
    const QString k = Key(code);
    if (index_.contains(k)) return nullptr;
    Slot slot;
    slot.key = k;
    slot.ref.Set_Code(code);
    slot.ref.Label = label_text;
    slots_.push_back(std::move(slot));
    index_.insert(k, static_cast<qsizetype>(slots_.size()) - 1);
    ++live_;
    return &slots_.back().ref;
}

Code_Entry* Code_Table::Item(const QString& key) {
    const auto it = index_.constFind(Key(key));
    return it == index_.cend() ? nullptr : &slots_[static_cast<size_t>(*it)].ref;
}
const Code_Entry* Code_Table::Item(const QString& key) const { return const_cast<Code_Table*>(this)->Item(key); }

Code_Entry* Code_Table::Item(int index) {
    if (index < 1 || index > Count()) return nullptr;
    Compact();
    return &slots_[static_cast<size_t>(index - 1)].ref;
}
const Code_Entry* Code_Table::Item(int index) const { return const_cast<Code_Table*>(this)->Item(index); }

void Code_Table::Compact() {
    if (static_cast<size_t>(live_) == slots_.size()) return;
    std::erase_if(slots_, [](const Slot& s) { return !s.live; });
    index_.clear();
    for (size_t i = 0; i < slots_.size(); ++i) index_.insert(slots_[i].key, static_cast<qsizetype>(i));
}

bool Code_Table::Remove(const QString& key) {
    const auto it = index_.constFind(Key(key));
    if (it == index_.cend()) return false;
    Slot& s = slots_[static_cast<size_t>(*it)];
    s.live = false;
    s.ref = Code_Entry();
    index_.erase(it);
    --live_;
    return true;
}
