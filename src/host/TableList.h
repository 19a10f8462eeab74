#pragma once

#include <QString>

namespace tabulex {

// A table list as the table window shows it: items kept in case-insensitive alphabetical
// order (equal texts may repeat), a selected flag per item, and a current item or none.
// The window's list boxes and the command-line program's lists both offer it.
class TableList {
public:
    virtual ~TableList() = default;

    virtual int count() const = 0;
    virtual QString item(int index) const = 0;
    virtual bool isSelected(int index) const = 0;
    virtual void setSelected(int index, bool selected) = 0;
    // The current item's index, or -1 for none.
    virtual int currentIndex() const = 0;
    virtual void setCurrentIndex(int index) = 0;
    // Inserts at the item's sorted place.
    virtual void addItem(const QString& text) = 0;
    virtual void removeItem(int index) = 0;
    virtual void clear() = 0;
};

// True when an item equals text without regard to case.
bool listContains(const TableList& list, const QString& text);
// Removes the item that equals text exactly (case-sensitive), the first one where several
// do: equal items stand for tables of the same name in other schemas or other folders, and
// a command that replaced one table leaves the others listed. Callers give the name as
// their list spells it.
void removeListItem(TableList& list, const QString& text);
// The sorted place of text among the items: after every item that sorts before or equal.
int sortedInsertIndex(const TableList& list, const QString& text);

} // namespace tabulex
