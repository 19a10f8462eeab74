#include "host/MemoryTableList.h"

namespace tabulex {

MemoryTableList::MemoryTableList(const QStringList& items)
{
    for (const QString& s : items)
        addItem(s);
}

void MemoryTableList::setSelected(int index, bool selected)
{
    m_items[size_t(index)].selected = selected;
}

void MemoryTableList::addItem(const QString& text)
{
    const int at = sortedInsertIndex(*this, text);
    m_items.insert(m_items.begin() + at, Item{text, false});
    if (m_current >= at)
        ++m_current;
}

void MemoryTableList::removeItem(int index)
{
    m_items.erase(m_items.begin() + index);
    if (m_current == index)
        m_current = m_items.empty() ? -1 : std::min(index, count() - 1);
    else if (m_current > index)
        --m_current;
}

void MemoryTableList::clear()
{
    m_items.clear();
    m_current = -1;
}

QStringList MemoryTableList::items() const
{
    QStringList out;
    for (const Item& i : m_items)
        out << i.text;
    return out;
}

void MemoryTableList::select(const QStringList& names)
{
    m_current = -1;
    for (int i = 0; i < count(); ++i) {
        m_items[size_t(i)].selected = names.contains(m_items[size_t(i)].text);
        if (m_items[size_t(i)].selected && m_current < 0)
            m_current = i;
    }
}

} // namespace tabulex
