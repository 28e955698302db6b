#pragma once
// A code table: codes (Cle) with their labels (Valeur), in insertion order, keyed by
// code without regard to letter case.
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

class Ref {
public:
    QString Valeur;

    const QString& Cle() const { return cle_; }
    void Set_Cle(const QString& cle);
    const QString& Major() const { return major_; }
    int Major_lng() const;           // 0 when the part is not numeric; check Major_isnumeric first
    bool Major_isnumeric() const;
    void Set_Major(const QString& major);
    const QString& Minor() const { return minor_; }
    int Minor_lng() const;
    bool Minor_isnumeric() const;
    void Set_Minor(const QString& minor);

private:
    void Rebuild_Cle();
    QString cle_, major_, minor_;
};

class Refs {
public:
    bool Only_Value = false;

    // nullptr when the key is already present (the first entry stays).
    Ref* add(const QString& cle, const QString& valeur);
    Ref* Item(const QString& key);
    const Ref* Item(const QString& key) const;
    Ref* Item(int index);             // 1-based; nullptr out of range
    const Ref* Item(int index) const;
    int Count() const { return static_cast<int>(items_.size()); }
    bool Remove(const QString& key);
    bool Remove(int index);

    auto begin() const { return items_.cbegin(); }
    auto end() const { return items_.cend(); }

private:
    static QString Key(const QString& cle) { return cle.toCaseFolded(); }
    void Reindex();
    std::vector<Ref> items_;
    QHash<QString, int> index_;
};
