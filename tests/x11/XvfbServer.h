// A private X server for one test process (the host's own Xvfb starter),
// with DISPLAY pointing at it while it runs. Screen 0 is 24-bit as most
// desktops are; screen 1 is 16-bit.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/PrivateXServer.h"

class XvfbServer {
public:
    static bool installed();

    XvfbServer();  // waits until the server accepts connections
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return server_.running(); }
    const std::string& display() const { return server_.display(); }

private:
    PrivateXServer server_;
};

// Runs a program found on PATH with the given arguments and waits for it;
// its exit status, or -1 when it could not be started.
int runProgram(const std::string& program, const std::initializer_list<std::string>& arguments);

// One server for all the tests of a suite; each test skips when Xvfb is not
// installed and fails when it did not start.
class XvfbSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (XvfbServer::installed()) server_ = new XvfbServer;
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (!XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(server_ && server_->running()) << "Xvfb did not start";
    }

    static inline XvfbServer* server_ = nullptr;
};
