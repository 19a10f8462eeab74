#pragma once

#include <QString>

// Names and texts quoted for statements.
namespace tabulex {

// A name between square brackets, each "]" doubled.
QString bracketName(const QString& name);
// A name between grave accents, each "`" doubled.
QString graveName(const QString& name);
// A text between apostrophes, each "'" doubled.
QString quotedText(const QString& text);
void appendQuoted(QString& out, QStringView text);
// A text literal that SQL Server reads as the same characters: 'text' (N'text' when
// `national`), a control character other than tab, line feed and carriage return joined in as
// NCHAR(n) (CHAR(n)), since the text of a statement cannot carry a NUL: N'memo' + NCHAR(0).
void appendTextLiteral(QString& out, QStringView text, bool national);

} // namespace tabulex
