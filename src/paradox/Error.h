#pragma once

#include <stdexcept>
#include <string>

namespace paradox {

// The one error type of the library: what is wrong, and with which table.
class Error : public std::runtime_error {
public:
    Error(const std::string& table, const std::string& what);

    const std::string& table() const noexcept { return m_table; }

private:
    std::string m_table;
};

} // namespace paradox
