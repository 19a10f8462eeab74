#pragma once

#include <QString>

#include <cstdint>

namespace tabulex {

// The ADO DataTypeEnum constant name of a type value ("adVarChar"); empty for a value that
// has no name.
QString adoTypeName(std::int16_t type);

} // namespace tabulex
