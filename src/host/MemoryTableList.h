#pragma once

#include "host/TableList.h"

#include <QStringList>

#include <vector>

namespace tabulex {

// A table list held in memory, for front ends without a list box.
class MemoryTableList : public TableList {
public:
    MemoryTableList() = default;
    explicit MemoryTableList(const QStringList& items);

    int count() const override { return int(m_items.size()); }
    QString item(int index) const override { return m_items[size_t(index)].text; }
    bool isSelected(int index) const override { return m_items[size_t(index)].selected; }
    void setSelected(int index, bool selected) override;
    int currentIndex() const override { return m_current; }
    void setCurrentIndex(int index) override { m_current = index; }
    void addItem(const QString& text) override;
    void removeItem(int index) override;
    void clear() override;

    QStringList items() const;
    // Selects the items equal to one of the names (exactly) and makes the first current.
    void select(const QStringList& names);

private:
    struct Item {
        QString text;
        bool selected = false;
    };
    std::vector<Item> m_items;
    int m_current = -1;
};

} // namespace tabulex
