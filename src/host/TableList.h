#pragma once

#include <QString>
#include <QStringList>

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

// The selected items, in list order.
QStringList selectedItems(const TableList& list);
// True when an item equals text without regard to case.
bool listContains(const TableList& list, const QString& text);
// Removes one item standing for the table text: the first that equals it exactly, else the
// first that equals it ignoring case (SQL Server compares names so, and a table sent or
// renamed there takes the spelling of the command). Equal items stand for tables of the same
// name in other schemas, and a command that replaced one table leaves the others listed.
void removeListItem(TableList& list, const QString& text);
// The SQL Server name of each item of a Paradox list, in the list's order: the item with
// each "/" as "_" (the table sub/ORDERS becomes sub_ORDERS). Tables of the folder itself
// come first, then those of subfolders, each in list order; a name that an earlier one
// already takes ignoring case (as SQL Server compares) gets "_2", "_3" ..., the first that
// none takes.
QStringList sqlServerNames(const TableList& paradoxList);
// The name as the list spells it: the item equal to it exactly, else the first equal to it
// ignoring case, else the name itself.
QString listedAs(const TableList& list, const QString& name);
// The sorted place of text among the items: after every item that sorts before or equal.
int sortedInsertIndex(const TableList& list, const QString& text);

} // namespace tabulex
