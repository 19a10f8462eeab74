#include "data/RowSpool.h"

#include <gtest/gtest.h>

using namespace tabulex;

TEST(RowSpool, ReadsBackEveryKindInOrder)
{
    const std::vector<Value> first = {Value(),
                                      Value(true),
                                      Value(std::int64_t(-5)),
                                      Value(std::uint64_t(7)),
                                      Value(1.5f),
                                      Value(2.25),
                                      Value(Decimal{"1.50"}),
                                      Value(QString::fromUtf8("héllo ☃")),
                                      Value(QByteArray("\0\1\2", 3)),
                                      Value(Date{1, 1, 1}),
                                      Value(Time{1, 2, 3, 4}),
                                      Value(Timestamp{{2000, 2, 29}, {23, 59, 59, 999}})};
    std::vector<Value> second(first.size(), Value(QString(100000, u'x')));
    RowSpool spool;
    spool.write(first);
    spool.write(second);
    spool.rewind();
    EXPECT_EQ(spool.rowCount(), 2);
    std::vector<Value> row(first.size());
    ASSERT_TRUE(spool.read(row));
    EXPECT_EQ(row, first);
    ASSERT_TRUE(spool.read(row));
    EXPECT_EQ(row, second);
    EXPECT_FALSE(spool.read(row));
}
