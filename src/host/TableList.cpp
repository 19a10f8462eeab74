#include "host/TableList.h"

#include <QSet>

namespace tabulex {

QStringList selectedItems(const TableList& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        if (list.isSelected(i))
            out << list.item(i);
    return out;
}

bool listContains(const TableList& list, const QString& text)
{
    const QString wanted = text.toLower();
    for (int i = 0; i < list.count(); ++i)
        if (list.item(i).toLower() == wanted)
            return true;
    return false;
}

void removeListItem(TableList& list, const QString& text)
{
    int like = -1;
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i) == text) {
            list.removeItem(i);
            return;
        }
        if (like == -1 && list.item(i).compare(text, Qt::CaseInsensitive) == 0)
            like = i;
    }
    if (like != -1)
        list.removeItem(like);
}

QStringList sqlServerNames(const TableList& paradoxList)
{
    QStringList names;
    for (int i = 0; i < paradoxList.count(); ++i)
        names << QString();
    QSet<QString> taken; // lower-cased
    for (const bool inSubfolder : {false, true}) {
        for (int i = 0; i < paradoxList.count(); ++i) {
            const QString item = paradoxList.item(i);
            if (item.contains(u'/') != inSubfolder)
                continue;
            const QString base = QString(item).replace(u'/', u'_');
            QString name = base;
            for (int n = 2; taken.contains(name.toLower()); ++n)
                name = base + u'_' + QString::number(n);
            taken.insert(name.toLower());
            names[i] = name;
        }
    }
    return names;
}

QString listedAs(const TableList& list, const QString& name)
{
    QString like;
    for (int i = 0; i < list.count(); ++i) {
        const QString item = list.item(i);
        if (item == name)
            return item;
        if (like.isNull() && item.compare(name, Qt::CaseInsensitive) == 0)
            like = item;
    }
    return like.isNull() ? name : like;
}

int sortedInsertIndex(const TableList& list, const QString& text)
{
    int lo = 0, hi = list.count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (QString::compare(list.item(mid), text, Qt::CaseInsensitive) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

} // namespace tabulex
