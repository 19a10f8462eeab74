#pragma once

#include "TestHost.h"
#include "ui/tables/ListBoxTableList.h"

#include <QListWidget>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>
#include <vector>

// Readable failure messages for texts and lists of texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '{' << l.join(QStringLiteral("\", \"")).prepend(u'"').append(u'"').toStdString() << '}';
}

namespace tabulex::test {

// A list box with its table list, as the table window has them.
struct ListBox {
    ListBox() { widget.setSelectionMode(QAbstractItemView::ExtendedSelection); }
    QListWidget widget;
    ListBoxTableList list{widget};
};

QStringList itemsOf(const TableList& list);
// Fills the list, selects the named items and makes the first of them current.
void setUpList(TableList& list, const QStringList& items, const QStringList& selected);

// A temporary Paradox folder with copies of fixture tables, writable.
class ParadoxFolder {
public:
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // Copies a fixture table (folder "db" or "fields") with its family, under a new base name
    // when one is given (extensions keep their case).
    void copyTable(const QString& fixtureFolder, const QString& table, const QString& as = {});
    // An empty file (folders made as needed).
    void touch(const QString& name) const;
    // The names of the folder's files, sorted.
    QStringList files() const;

private:
    QTemporaryDir m_dir;
};

QByteArray contentsOf(const QString& path);

// The rows of a table read through the Paradox driver, each row as text.
QStringList paradoxRows(const QString& folder, const QString& table);

} // namespace tabulex::test
