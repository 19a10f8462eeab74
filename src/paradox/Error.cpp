#include "paradox/Error.h"

namespace paradox {

static std::string describe(const std::string& table, const std::string& what)
{
    return table.empty() ? what : table + ": " + what;
}

Error::Error(const std::string& table, const std::string& what)
    : std::runtime_error(describe(table, what)), m_table(table)
{
}

} // namespace paradox
