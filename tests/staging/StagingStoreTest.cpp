#include "staging/StagingStore.h"
#include "core/DataError.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <functional>

using namespace tabulex;
using namespace tabulex::staging;

namespace {

std::vector<StagingField> fields(std::initializer_list<std::pair<const char*, const char*>> l)
{
    std::vector<StagingField> out;
    for (const auto& [name, type] : l)
        out.push_back({QString::fromUtf8(name), *parseColumnType(QString::fromLatin1(type))});
    return out;
}

std::vector<std::vector<Value>> rowsOf(const StagingStore& store, const QString& table)
{
    std::vector<std::vector<Value>> rows;
    store.readRows(store.table(table), [&](const std::vector<Value>& r) { rows.push_back(r); });
    return rows;
}

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const DataError& e) {
        return e.description();
    }
    return {};
}

} // namespace

TEST(StagingStore, KeepsRowsAndGivesThemBackAsTheirColumnsKinds)
{
    StagingStore store;
    store.createTable("T", fields({{"ID", "INT"},
                                   {"Name", "TEXT"},
                                   {"Price", "CURRENCY"},
                                   {"Paid", "BIT"},
                                   {"At", "DATETIME"},
                                   {"Photo", "OLEOBJECT"}}));
    store.addRow("t", {Value("1"), Value("it's"), Value("9.99"), Value(1),
                       Value("2024-02-29T13:45:30.5"), Value(QByteArray("\x01\x02", 2))});
    store.addRow("T", std::vector<Value>(6));
    const auto rows = rowsOf(store, "T");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], std::vector<Value>({Value(1), Value("it's"), Value(9.99), Value(true),
                                           Value(Timestamp{{2024, 2, 29}, {13, 45, 30, 500000000}}),
                                           Value(QByteArray("\x01\x02", 2))}));
    for (const Value& v : rows[1])
        EXPECT_TRUE(v.isNull());
    EXPECT_EQ(store.table("T").rowCount, 2);
}

TEST(StagingStore, RefusesWhatJetRefuses)
{
    StagingStore store;
    store.createTable("T", fields({{"A", "INT"}, {"B", "TEXT"}}));
    EXPECT_EQ(errorOf([&] {
                  store.createTable("t", fields({{"A", "INT"}}));
              }),
              "Table 't' already exists.");
    EXPECT_EQ(errorOf([&] {
                  store.createTable("U", fields({{"A", "INT"}, {"a", "TEXT"}}));
              }),
              "Field 'a' already exists in table 'U'.");
    EXPECT_EQ(errorOf([&] { store.createTable("U", {}); }),
              "Syntax error in CREATE TABLE statement.");
    EXPECT_EQ(errorOf([&] { store.addRow("T", {Value("1")}); }),
              "Number of query values and destination fields are not the same.");
    EXPECT_TRUE(errorOf([&] { store.addRow("Nope", {Value("1")}); }).contains("'Nope'"));
    EXPECT_EQ(errorOf([&] { store.dropTable("Nope"); }), "Table 'Nope' does not exist.");
    // A value its field cannot hold fails the row, and nothing of the row is kept.
    EXPECT_EQ(errorOf([&] {
                  store.addRow("T", {Value("1.5"), Value("x")});
              }),
              "The value '1.5' cannot be stored in the field 'A': it is not a whole number.");
    EXPECT_TRUE(rowsOf(store, "T").empty());
    EXPECT_EQ(store.table("T").rowCount, 0);
    EXPECT_FALSE(store.hasTable("U"));
}

TEST(StagingStore, KnowsItsTablesWithoutRegardToCaseAndDropForgets)
{
    StagingStore store;
    store.createTable("Orders", fields({{"A", "INT"}}));
    EXPECT_TRUE(store.hasTable("ORDERS"));
    store.dropTable("orders");
    EXPECT_FALSE(store.hasTable("Orders"));
    // The name can be used again, with other fields.
    store.createTable("Orders", fields({{"B", "MEMO"}}));
    store.addRow("Orders", {Value("x")});
    EXPECT_EQ(rowsOf(store, "Orders").size(), 1u);
}

TEST(StagingStore, LeavesNoFileBehindFromTheMomentItIsOpen)
{
    auto store = std::make_unique<StagingStore>();
    const QString path = store->filePath();
    EXPECT_TRUE(path.startsWith(QStandardPaths::writableLocation(QStandardPaths::TempLocation)))
        << path.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
    // Enough rows to need pages beyond the cache: they go to the unlinked file and come back.
    store->createTable("T", fields({{"A", "MEMO"}}));
    for (int i = 0; i < 1200; ++i)
        store->addRow("T", {Value(QString(10000, QChar(u'a' + i % 26)))});
    const auto rows = rowsOf(*store, "T");
    ASSERT_EQ(rows.size(), 1200u);
    EXPECT_EQ(rows[1199][0], Value(QString(10000, QChar(u'a' + 1199 % 26))));
    const QDir folder = QFileInfo(path).dir();
    EXPECT_TRUE(folder.entryList({QFileInfo(path).fileName() + "*"}, QDir::Files).isEmpty());
}
