#pragma once
// A named pair of item collections, Available and Selected, that a dual-list chooser
// edits. Item names are kept in ascending order without regard to letter case, and a
// name is never held twice in one collection (letter case ignored).
#include "model/Owned_Iterator.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Field;

class Selection_Item {
public:
    explicit Selection_Item(const QString& nom) : Nom_(nom) {}
    const QString& Nom() const { return Nom_; }

private:
    QString Nom_;
};

class Coll_Selection_Item {
public:
    Field* Parent = nullptr;
    qint32 WhatType = 0;  // 1 Available, 2 Selected, 0 not set

    // The item of that name (or the one already held under it); nullptr for a name
    // that is empty after trimming. With the owner's Plage on, the name is a range
    // list and the answer is the last item it names.
    Selection_Item* add(const QString& name);
    Selection_Item* Item(const QString& key) const;
    Selection_Item* Item(int position) const;  // 1-based
    int Count() const { return static_cast<int>(items_.size()); }
    bool Remove(const QString& key);
    bool Remove(int position);
    void Remove_All();
    QString Name_List(const QString& separator) const;
    // Adds the key of every entry of one section of a profile file; answers the number
    // of non-empty entries.
    int Load_From_Ini_Section(const QString& file, const QString& section);
    // With the owner's Plage on, true as soon as one name of the range list is held.
    // Through_Item only changes how the lookup is made, never its answer.
    bool exists(const QString& key, bool Through_Item = false) const;
    // 1-based position of the name (letter case ignored), or -1.
    int indice(const QString& name) const;

    using iterator = Owned_Iterator<const Selection_Item>;
    iterator begin() const { return iterator(items_.cbegin()); }
    iterator end() const { return iterator(items_.cend()); }
    QStringList Names() const;

private:
    bool Plage() const;
    Selection_Item* Insert(const QString& name);
    int Find(const QString& name) const;  // 0-based, -1 when absent
    std::vector<std::unique_ptr<Selection_Item>> items_;
};

class Field {
public:
    Field();
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    Coll_Selection_Item Available;
    Coll_Selection_Item Selected;
    QString Name;
    bool Plage = false;
    qint32 Auto_Add = 0;  // a name held nowhere: 0 nothing, 1 into Available, 2 into Selected

    bool exists(const QString& name);
    void SelectAll();
    void DeSelectAll();
    void SelectItem(const QString& name);
    void DeSelectItem(const QString& name);

    // The names a call stands for: the range list's elements with Plage on, else the
    // trimmed name; empty names left out.
    QStringList Names_Of(const QString& name) const;

private:
    static void Move(Coll_Selection_Item& from, Coll_Selection_Item& to, const QString& name);
};
