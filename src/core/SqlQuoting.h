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

} // namespace tabulex
