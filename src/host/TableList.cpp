#include "host/TableList.h"

namespace tabulex {

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
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i) == text) {
            list.removeItem(i);
            return;
        }
    }
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
