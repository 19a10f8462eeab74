#pragma once

#include <stdexcept>
#include <string>

namespace paradox {

// The one error type of the library: which table, and what is wrong with it.
class Error : public std::runtime_error {
public:
    Error(const std::string& table, const std::string& cause);

    const std::string& table() const noexcept { return m_table; }
    // The text without the table name.
    const std::string& cause() const noexcept { return m_cause; }

private:
    std::string m_table;
    std::string m_cause;
};

} // namespace paradox
