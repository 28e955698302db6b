#pragma once
// A named pair of item collections, Available and Selected, that a dual-list chooser
// edits. Item names are kept in ascending order without regard to letter case, and a
// name is never held twice in one collection (letter case ignored).
#include "model/Owned_Iterator.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Name_Selection;

class Name_Item {
public:
    explicit Name_Item(const QString& name) : name_(name) {}
    const QString& Name() const { return name_; }

private:
    QString name_;
};

class Name_List {
public:
    Name_Selection* Parent = nullptr;
    qint32 Kind = 0;  // 1 Available, 2 Selected, 0 not set

    // The item of that name (or the one already held under it); nullptr for a name
    // that is empty after trimming. With the owner's Is_Range on, the name is a range
    // list and the answer is the last item it names.
    Name_Item* add(const QString& name);
    Name_Item* Item(const QString& key) const;
    Name_Item* Item(int position) const;  // 1-based
    int Count() const { return static_cast<int>(items_.size()); }
    bool Remove(const QString& key);
    bool Remove(int position);
    void Remove_All();
    // Adds the key of every entry of one section of a profile file; answers the number
    // of non-empty entries.
    int Load_From_Ini_Section(const QString& file, const QString& section);
    // With the owner's Is_Range on, true as soon as one name of the range list is held.
    // Through_Item only changes how the lookup is made, never its answer.
    bool exists(const QString& key, bool Through_Item = false) const;

    using iterator = Owned_Iterator<const Name_Item>;
    iterator begin() const { return iterator(items_.cbegin()); }
    iterator end() const { return iterator(items_.cend()); }
    QStringList Names() const;

private:
    bool Is_Range() const;
    Name_Item* Insert(const QString& name);
    int Find(const QString& name) const;  // 0-based, -1 when absent
    std::vector<std::unique_ptr<Name_Item>> items_;
};

class Name_Selection {
public:
    Name_Selection();
    Name_Selection(const Name_Selection&) = delete;
    Name_Selection& operator=(const Name_Selection&) = delete;

    Name_List Available;
    Name_List Selected;
    QString Name;
    bool Is_Range = false;
    qint32 Auto_Add = 0;  // a name held nowhere: 0 nothing, 1 into Available, 2 into Selected

    bool exists(const QString& name);
    void SelectAll();
    void DeSelectAll();
    void SelectItem(const QString& name);
    void DeSelectItem(const QString& name);

    // The names a call stands for: the range list's elements with Is_Range on, else the
    // trimmed name; empty names left out.
    QStringList Names_Of(const QString& name) const;

private:
    static void Move(Name_List& from, Name_List& to, const QString& name);
};
