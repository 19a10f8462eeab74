#pragma once

namespace tabulex {

// Which type mapping a send uses: the program's documented one (dates and Booleans as text
// towards SQL Server, no keys), or the one that keeps a table's shape both ways (keys,
// autoincrement, field types; transfer/FaithfulTypes).
enum class Mapping { Classic, Faithful };

} // namespace tabulex
