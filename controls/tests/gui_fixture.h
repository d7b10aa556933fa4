#pragma once
// A fixture whose widget members can be built as plain members: the application exists before them.
#include <gtest/gtest.h>

#include "controls/tests/gui_test_app.h"

class GuiFixture : public ::testing::Test {
protected:
    GuiFixture() { EnsureGuiApplication(); }
};
