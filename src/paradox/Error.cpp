#include "paradox/Error.h"

namespace paradox {

static std::string describe(const std::string& table, const std::string& cause) {
    return table.empty() ? cause : table + ": " + cause;
}

Error::Error(const std::string& table, const std::string& cause)
    : std::runtime_error(describe(table, cause)), m_table(table), m_cause(cause) {}

} // namespace paradox
