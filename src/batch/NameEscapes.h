#pragma once

#include <QString>

namespace tabulex::batch {

// A table name on one line: "\" as "\\", line feed, tab and carriage return as "\n", "\t",
// "\r", and every other control character (below 32, 127 to 159) as "\x" and two hex digits.
QString escapedName(const QString& name);

// The name that escapedName wrote; a backslash that starts none of its escapes stays as it is.
QString unescapedName(const QString& text);

} // namespace tabulex::batch
