#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tabulex {

// A code page the data type window offers, with the words it shows beside the number.
struct CodePageEntry {
    int codePage = 0;
    QString title;
};

// The code pages of the Paradox language drivers, Windows ones first.
std::vector<CodePageEntry> codePageEntries();

// "1251 Cyrillic (Windows)".
QString codePageText(int codePage);

// The first values of the source table's text fields that hold characters beyond ASCII (else
// the first values of its first `rows` rows), one line each ("NAME: value"), for the user to
// see which code page is right. A Paradox table (target kSqlServerTarget) is read in
// the code page (0: the one its header names); for a SQL Server table (target kParadoxTarget)
// each value is shown with the characters the code page cannot hold (0: none checked).
// Errors reach the caller.
QStringList previewTextValues(const QString& target, const QString& sourceConnectionString,
                              const QString& table, int codePage, int rows = 5);

} // namespace tabulex
