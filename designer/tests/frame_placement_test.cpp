// Where the main window opens on a first start, with no placement saved: most of the free area, centred.
#include <gtest/gtest.h>

#include "designer/frame/frame_placement.h"

namespace quillmark {
namespace {

TEST(FirstStartPlacement, MostOfTheFreeAreaCentredInIt) {
    struct Case {
        const char* what;
        QRect available;
        QRect expected;
    } cases[] = {
        {"a 1280 x 1024 screen", QRect(0, 0, 1280, 1024), QRect(64, 51, 1152, 921)},
        {"a panel along the top", QRect(0, 30, 1920, 1050), QRect(96, 82, 1728, 945)},
        {"a second screen to the right", QRect(1280, 0, 1024, 768), QRect(1331, 38, 921, 691)},
        {"no screen known", QRect(), QRect(50, 50, 600, 400)},
    };
    for (const Case& c : cases) {
        const QRect placed = FirstStartPlacement(c.available);
        EXPECT_EQ(placed, c.expected) << c.what;
        if (c.available.isValid()) {
            EXPECT_TRUE(c.available.contains(placed)) << c.what;
        }
    }
}

}  // namespace
}  // namespace quillmark
