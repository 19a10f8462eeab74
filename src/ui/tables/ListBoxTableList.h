#pragma once

#include "host/TableList.h"

class QListWidget;

namespace tabulex {

// A table list shown by a list box: items in case-insensitive sorted order, the list box's
// selection, and its current row as the current item.
class ListBoxTableList : public TableList {
public:
    explicit ListBoxTableList(QListWidget& list) : m_list(list) {}

    int count() const override;
    QString item(int index) const override;
    bool isSelected(int index) const override;
    void setSelected(int index, bool selected) override;
    int currentIndex() const override;
    // Makes the item current without touching the selection.
    void setCurrentIndex(int index) override;
    void addItem(const QString& text) override;
    void removeItem(int index) override;
    void clear() override;

private:
    QListWidget& m_list;
};

} // namespace tabulex
