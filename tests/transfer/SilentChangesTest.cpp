#include "transfer/SilentChanges.h"
#include "core/DataError.h"
#include "data/Recordset.h"

#include <gtest/gtest.h>

using namespace tabulex;

namespace {

struct Case {
    const char* type;
    Value value;
    bool refused;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.type << " <- " << c.value.toText().toStdString();
}

class SilentChangeCases : public ::testing::TestWithParam<Case> {};

} // namespace

// A value that a SQL Server column would change while storing it is refused before it is sent.
TEST_P(SilentChangeCases, RefusesWhatTheColumnWouldChange)
{
    const Case& c = GetParam();
    const Field f{QStringLiteral("f"), 0, c.value, 0, 0, 0};
    bool refused = false;
    try {
        refuseSilentChange(f, silentChangesOf(QString::fromLatin1(c.type)));
    } catch (const DataError& e) {
        refused = true;
        EXPECT_TRUE(e.description().contains("'f'")) << e.what();
    }
    EXPECT_EQ(refused, c.refused);
}

INSTANTIATE_TEST_SUITE_P(
    Types, SilentChangeCases,
    ::testing::Values(
        Case{"FLOAT", Value(0.1), false}, Case{"FLOAT", Value(Decimal{"12.3456"}), false},
        Case{"FLOAT", Value(Decimal{"12345678901234567890.12"}), true},
        Case{"FLOAT", Value("1.23456789012345678"), true}, Case{"FLOAT", Value("abc"), false},
        Case{"REAL", Value(0.1), false}, Case{"REAL", Value(0.123456789), true},
        Case{"FLOAT(10)", Value(1.0 / 3), true},
        Case{"decimal(10, 2)", Value(Decimal{"12345678.90"}), false},
        Case{"DECIMAL(10,2)", Value(1.005), true}, Case{"DECIMAL(10,2)", Value(123456789.5), true},
        Case{"DECIMAL", Value(12.5), true}, Case{"DECIMAL", Value(12), false},
        Case{"numeric(18, 0)", Value(std::int64_t(999999999999999999LL)), false},
        Case{"MONEY", Value(12.3456), false}, Case{"MONEY", Value(1.23456), true},
        Case{"smallmoney", Value(1234567.5), true},
        Case{"DATETIME", Value(Timestamp{{2024, 1, 2}, {3, 4, 5, 7000000}}), false},
        Case{"DATETIME", Value(Timestamp{{2024, 1, 2}, {3, 4, 5, 1000000}}), true},
        Case{"DATETIME", Value(Time{3, 4, 5, 500000000}), false},
        Case{"smalldatetime", Value(Timestamp{{2024, 1, 2}, {3, 4, 0, 0}}), false},
        Case{"smalldatetime", Value(Timestamp{{2024, 1, 2}, {3, 4, 5, 0}}), true},
        Case{"DATE", Value(Timestamp{{2024, 1, 2}, {}}), false},
        Case{"DATE", Value(Timestamp{{2024, 1, 2}, {12, 0, 0, 0}}), true},
        Case{"VarChar (50)", Value(QString::fromUtf8("Müller €")), false},
        Case{"TEXT", Value(QString::fromUtf8("Привет")), true},
        Case{"Char (10)", Value(QString::fromUtf8("中文")), true},
        Case{"nvarchar (50)", Value(QString::fromUtf8("中文")), false},
        Case{"ntext", Value(QByteArray("\x01", 1)), true},
        Case{"VarBinary (50)", Value(QByteArray("\x01", 1)), false},
        Case{"Image", Value(QByteArray("\x01", 1)), false},
        Case{"int", Value(1.5), false}, // the server refuses it itself
        Case{"FLOAT", Value(), false}));
