#pragma once

#include "host/CommandHost.h"

namespace tabulex {

// The host's hourglass for the length of a scope.
class HostHourglass {
public:
    explicit HostHourglass(CommandHost& host) : m_host(host) { m_host.setWaitPointer(true); }
    ~HostHourglass() { m_host.setWaitPointer(false); }
    HostHourglass(const HostHourglass&) = delete;
    HostHourglass& operator=(const HostHourglass&) = delete;

private:
    CommandHost& m_host;
};

} // namespace tabulex
