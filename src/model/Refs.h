#pragma once
// A code table: codes (Cle) with their labels (Valeur), in insertion order, keyed by
// code without regard to letter case.
#include <QHash>
#include <QString>
#include <cstddef>
#include <deque>
#include <iterator>
#include <memory>

class Ref {
public:
    QString Valeur;

    const QString& Cle() const { return cle_; }
    void Set_Cle(const QString& cle);
    const QString& Major() const { return major_; }
    int Major_lng() const;  // 0 when the part is not numeric; check Major_isnumeric first
    bool Major_isnumeric() const;
    const QString& Minor() const { return minor_; }
    int Minor_lng() const;
    bool Minor_isnumeric() const;

private:
    QString cle_, major_, minor_;
};

class Refs {
    struct Slot {
        Ref ref;
        QString key;  // as added: renaming an entry does not move it
        bool live = true;
    };

public:
    bool Only_Value = false;

    // nullptr when the key is already present (the first entry stays).
    Ref* add(const QString& cle, const QString& valeur);
    Ref* Item(const QString& key);
    const Ref* Item(const QString& key) const;
    Ref* Item(int index);  // 1-based; nullptr out of range
    const Ref* Item(int index) const;
    int Count() const { return live_; }
    bool Remove(const QString& key);

    // The live entries in insertion order.
    class const_iterator {
    public:
        using value_type = Ref;
        using difference_type = std::ptrdiff_t;
        using reference = const Ref&;
        using pointer = const Ref*;
        using iterator_category = std::forward_iterator_tag;
        const_iterator() = default;
        using Base = std::deque<Slot>::const_iterator;
        const_iterator(Base at, Base end) : at_(at), end_(end) { Skip(); }
        const Ref& operator*() const { return at_->ref; }
        const Ref* operator->() const { return &at_->ref; }
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
    static QString Key(const QString& cle) { return cle.toCaseFolded(); }
    // A removal only marks its slot, so that removing every entry in turn stays linear;
    // positions are made whole again only when asked for by number.
    void Compact();
    std::deque<Slot> slots_;  // grows without moving what it holds
    QHash<QString, qsizetype> index_;
    int live_ = 0;
};
