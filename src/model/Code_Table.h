#pragma once
// A code table: codes (Cle) with their labels (Valeur), in insertion order, keyed by
// code without regard to letter case.
#include <QHash>
#include <QString>
#include <cstddef>
#include <deque>
#include <iterator>
#include <memory>

class Code_Entry {
public:
    QString Label;

    const QString& Code() const { return code_; }
    void Set_Code(const QString& code);
    const QString& Major() const { return major_; }
    int Major_Number() const;  // 0 when the part is not numeric; check Major_Is_Numeric first
    bool Major_Is_Numeric() const;
    const QString& Minor() const { return minor_; }
    int Minor_Number() const;
    bool Minor_Is_Numeric() const;

private:
    QString code_, major_, minor_;
};

class Code_Table {
    struct Slot {
        Code_Entry ref;
        QString key;  // as added: renaming an entry does not move it
        bool live = true;
    };

public:
    bool Only_Value = false;

    // nullptr when the key is already present (the first entry stays).
    Code_Entry* add(const QString& code, const QString& label_text);
    Code_Entry* Item(const QString& key);
    const Code_Entry* Item(const QString& key) const;
    Code_Entry* Item(int index);  // 1-based; nullptr out of range
    const Code_Entry* Item(int index) const;
    int Count() const { return live_; }
    bool Remove(const QString& key);

    // The live entries in insertion order.
    class const_iterator {
    public:
        using value_type = Code_Entry;
        using difference_type = std::ptrdiff_t;
        using reference = const Code_Entry&;
        using pointer = const Code_Entry*;
        using iterator_category = std::forward_iterator_tag;
        const_iterator() = default;
        using Base = std::deque<Slot>::const_iterator;
        const_iterator(Base at, Base end) : at_(at), end_(end) { Skip(); }
        const Code_Entry& operator*() const { return at_->ref; }
        const Code_Entry* operator->() const { return &at_->ref; }
        const_iterator& operator++() {
            ++at_;
            Skip();
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const const_iterator& o) const { return at_ == o.at_; }

    private:
        void Skip() {
            while (at_ != end_ && !at_->live) ++at_;
        }
        Base at_, end_;
    };
    const_iterator begin() const { return {slots_.cbegin(), slots_.cend()}; }
    const_iterator end() const { return {slots_.cend(), slots_.cend()}; }

private:
    static QString Key(const QString& code) { return code.toCaseFolded(); }
    // A removal only marks its slot, so that removing every entry in turn stays linear;
    // positions are made whole again only when asked for by number.
    void Compact();
    std::deque<Slot> slots_;  // grows without moving what it holds
    QHash<QString, qsizetype> index_;
    int live_ = 0;
};
