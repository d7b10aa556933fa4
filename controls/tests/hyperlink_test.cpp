#include "controls/dialogs/hyperlink.h"

#include <string>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "controls/tests/gui_fixture.h"
#include "controls/tests/mouse_events.h"
#include "platform/gdi/sys_colors.h"
#include "platform/ui/messages.h"

namespace {

void Mouse(QWidget* w, QEvent::Type type) { SendMouse(w, type, QPoint(2, 2), Qt::LeftButton); }

class HyperLinkTest : public GuiFixture {
protected:
    void SetUp() override {
        CzorHyperLink::GetColors(saved);
        CzorHyperLink::SetLauncher({[this](const std::string& u) { opened.push_back(u); return opens; },
                                    [] { return std::optional<std::string>(); }, nullptr});
    }
    void TearDown() override {
        CzorHyperLink::SetColors(saved);
        CzorHyperLink::SetLauncher({});
    }
    HYPERLINKCOLORS saved{};
    std::vector<std::string> opened;
    bool opens = true;
};

TEST_F(HyperLinkTest, OneOpeningPerClickOnReleaseOrOnPressWithDownClick) {
    CzorHyperLink link("Квиллмарк", "mailto:support@example.org");
    EXPECT_EQ(link.GetLinkStyle(), 21u);
    EXPECT_EQ(link.toolTip(), QStringLiteral("mailto:support@example.org"));
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    Mouse(&link, QEvent::MouseButtonPress);
    EXPECT_TRUE(opened.empty());
    Mouse(&link, QEvent::MouseButtonRelease);
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_TRUE(link.IsVisited());

    ASSERT_TRUE(link.ModifyLinkStyle(0, CzorHyperLink::StyleDownClick));
    Mouse(&link, QEvent::MouseButtonPress);
    EXPECT_EQ(opened.size(), 2u);
    Mouse(&link, QEvent::MouseButtonRelease);
    EXPECT_EQ(opened.size(), 2u);

    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(&link, &space);
    EXPECT_EQ(opened, (std::vector<std::string>(3, "mailto:support@example.org")));
}

TEST_F(HyperLinkTest, ColoursFollowHoverVisitAndTheClassWideTable) {
    CzorHyperLink::SetColors(RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3));
    HYPERLINKCOLORS c{};
    CzorHyperLink::GetColors(c);
    EXPECT_EQ(c.crHover, GetSysColor(COLOR_HIGHLIGHT));
    CzorHyperLink::SetColors(RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3), RGB(4, 4, 4));

    CzorHyperLink link("ссылка", "");
    EXPECT_EQ(link.GetURL(), "ссылка");
    link.ModifyLinkStyle(CzorHyperLink::StyleUnderline, CzorHyperLink::StyleUseHover);
    EXPECT_FALSE(link.font().underline());
    EXPECT_EQ(link.TextColor(), RGB(1, 1, 1));
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&link, &enter);
    EXPECT_EQ(link.TextColor(), RGB(4, 4, 4));
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(4, 4, 4));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    link.SetVisited(true);
    EXPECT_EQ(link.TextColor(), RGB(3, 3, 3));
}

TEST_F(HyperLinkTest, AFailedLinkBeepsReportsAndStaysUnvisited) {
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped(&sink);
    opens = false;
    CzorHyperLink link("https://example.org", "");
    link.FollowLink();
    EXPECT_FALSE(link.IsVisited());
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].text,
              "Can't open link:\n\nThere is no application associated\nwith the given filename extension.");
    EXPECT_EQ(sink.Messages()[0].type & MB_ICONMASK, unsigned(MB_ICONEXCLAMATION));
}

TEST_F(HyperLinkTest, FitsItsTextKeepingTheEdgeOfItsAlignment) {
    QWidget parent;
    auto* left = new CzorHyperLink(&parent);
    left->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    left->setGeometry(10, 10, 300, 40);
    left->setText("ссылка");
    left->PreSubclassWindow();
    EXPECT_EQ(left->x(), 10);
    EXPECT_EQ(left->y(), 10);
    EXPECT_LT(left->width(), 300);
    auto* right = new CzorHyperLink(&parent);
    right->setAlignment(Qt::AlignRight | Qt::AlignTop);
    right->setGeometry(10, 60, 300, 40);
    right->setText("ссылка");
    right->PreSubclassWindow();
    EXPECT_EQ(right->geometry().right(), 309);
    EXPECT_EQ(right->y(), 60);
    EXPECT_EQ(right->width(), left->width());
    auto* centred = new CzorHyperLink(&parent);
    centred->setAlignment(Qt::AlignCenter);
    centred->setGeometry(10, 110, 300, 40);
    centred->setText("ссылка");
    centred->PreSubclassWindow();
    EXPECT_EQ(centred->geometry().center().x(), QRect(10, 110, 300, 40).center().x());
    EXPECT_NEAR(centred->geometry().center().y(), QRect(10, 110, 300, 40).center().y(), 1);
}

}  // namespace
