#pragma once

#include <QString>

namespace tabulex {

struct Field;

// What a SQL Server column of a given type does silently to a value written as quoted text,
// so that a row whose value it would change can fail instead: rounding of numbers, dates
// and times, characters outside the server's code page, and bytes that would arrive as text.
struct SilentChanges {
    bool doubleRounding = false;    // FLOAT
    bool singleRounding = false;    // REAL, FLOAT(1..24)
    int decimals = -1;              // DECIMAL, NUMERIC, MONEY, SMALLMONEY: decimals kept
    int integerDigits = -1;         // ... and digits before the point
    bool toThreeHundredths = false; // DATETIME
    bool toMinutes = false;         // SMALLDATETIME
    bool dateOnly = false;          // DATE
    bool codePage1252 = false;      // CHAR, VARCHAR, TEXT (the default collation's code page)
    bool textOnly = false;          // any type that is not binary

    bool any() const
    {
        return doubleRounding || singleRounding || decimals >= 0 || toThreeHundredths ||
               toMinutes || dateOnly || codePage1252 || textOnly;
    }
};

// The silent changes of a SQL Server column type as written in CREATE TABLE ("decimal(10, 2)").
SilentChanges silentChangesOf(const QString& sqlServerType);

// Throws DataError naming the field and the value when the column would change the value.
void refuseSilentChange(const Field& field, const SilentChanges& changes);

} // namespace tabulex
