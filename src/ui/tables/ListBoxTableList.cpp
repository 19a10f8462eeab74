#include "ui/tables/ListBoxTableList.h"

#include <QListWidget>

namespace tabulex {

int ListBoxTableList::count() const { return m_list.count(); }

QString ListBoxTableList::item(int index) const { return m_list.item(index)->text(); }

bool ListBoxTableList::isSelected(int index) const { return m_list.item(index)->isSelected(); }

void ListBoxTableList::setSelected(int index, bool selected)
{
    m_list.item(index)->setSelected(selected);
}

int ListBoxTableList::currentIndex() const { return m_list.currentRow(); }

void ListBoxTableList::setCurrentIndex(int index)
{
    m_list.setCurrentRow(index, QItemSelectionModel::NoUpdate);
}

void ListBoxTableList::addItem(const QString& text)
{
    // QListWidget's own sorting compares with regard to case.
    m_list.insertItem(sortedInsertIndex(*this, text), text);
}

void ListBoxTableList::removeItem(int index) { delete m_list.takeItem(index); }

void ListBoxTableList::clear() { m_list.clear(); }

} // namespace tabulex
