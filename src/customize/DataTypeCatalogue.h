#pragma once

#include <QString>
#include <QStringList>

namespace tabulex {

// The 26 type names the data type window's Help lists and "Change" accepts, in their order.
const QStringList& dataTypeCatalogue();

// True when the typed type text is accepted: it occurs (ignoring case) inside "MEMO" and the
// catalogue, or it holds "binary(", "char(", "decimal(" or "numeric(".
bool isValidDataType(const QString& text);

} // namespace tabulex
