#pragma once
// What the menu tests share: a clean set of process-wide menu settings per test, templates written from
// readable rows, and the bitmaps of the test resources (menu_test.rc).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QImage>

#include "controls/menu/zor_menu.h"
#include "controls/resources/menu_template.h"
#include "controls/tests/menu_test_bitmaps.h"

namespace menu_test {


// One row per item: depth, flags, command, text (UTF-8).
struct Row {
    int depth;
    UINT flags;
    UINT id;
    const char* text;
};
std::vector<uint8_t> Template(const std::vector<Row>& rows);

// The items of a menu as readable rows ("text|id|flags" per item, popups followed by their items
// indented by two blanks per level), from the records, for comparing whole menus.
std::string Describe(CzorMenu& menu, int depth = 0);

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace menu_test
