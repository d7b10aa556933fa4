#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "platform/tests/gdi/image_probe.h"

using namespace gdi_test;

namespace {

// 2 × 2 pixels: red, green on the top row; blue, yellow on the bottom row.
QImage Quadrants() {
    QImage q(2, 2, QImage::Format_RGB32);
    q.setPixel(0, 0, qRgb(255, 0, 0));
    q.setPixel(1, 0, qRgb(0, 255, 0));
    q.setPixel(0, 1, qRgb(0, 0, 255));
    q.setPixel(1, 1, qRgb(255, 255, 0));
    return q;
}

}  // namespace

TEST(CDCImages, TheWholeImageIsStretchedUprightIntoTheRectangleWhateverItsSigns) {
    // The same device rectangle, columns 100..299 and rows 50..149, given from each of its corners.
    struct Case { int x, y, width, height; };
    const Case cases[] = {
        {100, -150, 200, 100},   // from the lower-left corner, upward (as the model's rectangles are)
        {100, -50, 200, -100},   // from the upper-left corner, downward
        {300, -150, -200, 100},
        {300, -50, -200, -100},
    };
    for (const auto& c : cases) {
        QImage image = BlankImage(400, 200, 254);
        {
            CDC dc(&image);
            dc.DrawImage(c.x, c.y, c.width, c.height, Quadrants());
        }
        const std::string label = std::to_string(c.x) + "," + std::to_string(c.y) + " " + std::to_string(c.width) +
                                  "x" + std::to_string(c.height);
        EXPECT_EQ(InkBounds(image), QRect(100, 50, 200, 100)) << label;
        EXPECT_EQ(ColourCount(image, QRect(100, 50, 100, 50), RGB(255, 0, 0)), 100 * 50) << label;
        EXPECT_EQ(ColourCount(image, QRect(200, 50, 100, 50), RGB(0, 255, 0)), 100 * 50) << label;
        EXPECT_EQ(ColourCount(image, QRect(100, 100, 100, 50), RGB(0, 0, 255)), 100 * 50) << label;
        EXPECT_EQ(ColourCount(image, QRect(200, 100, 100, 50), RGB(255, 255, 0)), 100 * 50) << label;
    }
}

TEST(CDCImages, ScalesWithTheResolutionAndObeysTheClip) {
    QImage image = BlankImage(200, 200, 127);  // half a pixel per unit
    {
        CDC dc(&image);
        dc.IntersectClipRect(0, 0, 200, -400);  // the left half of the picture's rectangle
        dc.DrawImage(0, -400, 400, 400, Quadrants());
    }
    EXPECT_EQ(InkBounds(image), QRect(0, 0, 100, 200));
    EXPECT_EQ(ColourCount(image, QRect(0, 0, 100, 100), RGB(255, 0, 0)), 100 * 100);
    EXPECT_EQ(ColourCount(image, QRect(0, 100, 100, 100), RGB(0, 0, 255)), 100 * 100);
}

TEST(CDCImages, EmptyImagesAndRectanglesDrawNothing) {
    QImage image = BlankImage(100, 100, 254);
    {
        CDC dc(&image);
        dc.DrawImage(10, -10, 50, 50, QImage());
        dc.DrawImage(10, -10, 0, 50, Quadrants());
        dc.DrawImage(10, -10, 50, 0, Quadrants());
    }
    EXPECT_EQ(InkCount(image, image.rect()), 0);
}
