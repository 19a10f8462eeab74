#include "TablesTestSupport.h"

#include "TestPaths.h"
#include "connect/ConnectionStrings.h"
#include "data/Connection.h"
#include "data/Recordset.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace tabulex::test {

QStringList itemsOf(const TableList& list)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.item(i);
    return items;
}

void setUpList(TableList& list, const QStringList& items, const QStringList& selected)
{
    list.clear();
    for (const QString& item : items)
        list.addItem(item);
    int current = -1;
    for (int i = 0; i < list.count(); ++i) {
        const bool on = selected.contains(list.item(i));
        list.setSelected(i, on);
        if (on && current == -1)
            current = i;
    }
    if (current != -1)
        list.setCurrentIndex(current);
}

void ParadoxFolder::copyTable(const QString& fixtureFolder, const QString& table, const QString& as)
{
    const QDir source(paradoxFixtures() + u'/' + fixtureFolder);
    const QStringList family = source.entryList({table + QStringLiteral(".*")}, QDir::Files);
    ASSERT_FALSE(family.isEmpty()) << table.toStdString();
    for (const QString& name : family) {
        const QString target = (as.isEmpty() ? table : as) + name.mid(table.size());
        ASSERT_TRUE(QFile::copy(source.filePath(name), file(target))) << target.toStdString();
        QFile::setPermissions(file(target), QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::ReadOther);
    }
}

void ParadoxFolder::touch(const QString& name) const
{
    QDir().mkpath(QFileInfo(file(name)).absolutePath());
    QFile f(file(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
}

QStringList ParadoxFolder::files() const
{
    QStringList names = QDir(path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    return names;
}

QByteArray contentsOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList paradoxRows(const QString& folder, const QString& table)
{
    Connection connection;
    connection.open(paradoxConnectionString(folder));
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [") + table + u']', connection);
    QStringList rows;
    for (; !rs.atEnd(); rs.moveNext()) {
        QStringList values;
        for (const Field& f : rs.fields())
            values << f.value.toText();
        rows << values.join(u'|');
    }
    return rows;
}

} // namespace tabulex::test
