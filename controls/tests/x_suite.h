#pragma once
// One test X display shared by every case of a real-window test suite: starting Xvfb per case would cost
// more than most cases take. Without a display every case is skipped with the reason.
#include <string>

#include <gtest/gtest.h>

#include "testkit/x_session.h"

namespace quillmark_test {

class XSuiteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_x = new XSession;
        if (!s_x->Start(s_why)) {
            delete s_x;
            s_x = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete s_x;
        s_x = nullptr;
    }
    // True when the display runs; otherwise the caller skips with Why().
    static bool HaveDisplay() { return s_x != nullptr; }
    static const std::string& Why() { return s_why; }
    static XSession& x() { return *s_x; }

private:
    static inline XSession* s_x = nullptr;
    static inline std::string s_why;
};

}  // namespace quillmark_test
