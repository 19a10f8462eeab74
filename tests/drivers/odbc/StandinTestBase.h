#pragma once

#include "StandinServer.h"
#include "data/Connection.h"
#include "data/Recordset.h"

#include <gtest/gtest.h>

#include <memory>

namespace tabulex::test {

// One private stand-in per test suite; every test starts with an empty database.
class StandinTest : public ::testing::Test {
public:
    static void SetUpTestSuite() { s_server = std::make_unique<StandinServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }

protected:
    void SetUp() override { server().reset(); }

    static StandinServer& server() { return *s_server; }

    // An open connection to the stand-in, set up as the program sets up its own.
    static std::unique_ptr<Connection> connect(int cursorLocation = ado::adUseServer)
    {
        auto c = std::make_unique<Connection>();
        c->cursorLocation = cursorLocation;
        c->open(server().connectionString());
        return c;
    }

private:
    static inline std::unique_ptr<StandinServer> s_server;
};

} // namespace tabulex::test
