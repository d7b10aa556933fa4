#include "controls/dialogs/hyperlink_rules.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace zor;

TEST(HyperLinkRules, ColourRule) {
    const HYPERLINKCOLORS c = {RGB(1, 0, 0), RGB(2, 0, 0), RGB(3, 0, 0), RGB(4, 0, 0)};
    struct Case { uint32_t style; bool over, active, visited; COLORREF expected; };
    const Case cases[] = {
        {kDefaultLinkStyle, false, false, false, c.crLink},
        {kDefaultLinkStyle, true, false, false, c.crLink},       // hover needs StyleUseHover
        {kDefaultLinkStyle, false, false, true, c.crVisited},
        {kDefaultLinkStyle, false, true, true, c.crActive},
        {StyleUseHover, true, true, true, c.crHover},
        {StyleUseHover, false, true, false, c.crActive},
        {StyleNoActiveColor, false, true, false, c.crLink},
        {StyleNoActiveColor, false, true, true, c.crVisited},
        {StyleNoActiveColor | StyleUseHover, true, true, true, c.crHover},
    };
    for (const auto& k : cases)
        EXPECT_EQ(LinkTextColor(k.style, k.over, k.active, k.visited, c), k.expected)
            << k.style << k.over << k.active << k.visited;
}

TEST(HyperLinkRules, StyleSetsThatOverlapChangeNothing) {
    uint32_t style = kDefaultLinkStyle;
    EXPECT_EQ(style, 21u);
    EXPECT_FALSE(ModifyLinkStyle(style, StyleUnderline | StyleUseHover, StyleUseHover));
    EXPECT_EQ(style, 21u);
    EXPECT_TRUE(ModifyLinkStyle(style, StyleUnderline, StyleUseHover | StyleDownClick));
    EXPECT_EQ(style, uint32_t(StyleAutoSize | StyleGetFocusOnClick | StyleUseHover | StyleDownClick));
    EXPECT_TRUE(ModifyLinkStyle(style, 0, 0));
}

TEST(HyperLinkRules, TargetAndTextDefaultToEachOther) {
    struct Case { std::string url, text, urlAfter, textAfter; };
    const Case cases[] = {
        {"", "https://example.org", "https://example.org", "https://example.org"},
        {"mailto:a@b.c", "", "mailto:a@b.c", "mailto:a@b.c"},
        {"https://x", "Сайт", "https://x", "Сайт"},
        {"", "", "", ""},
    };
    for (auto c : cases) {
        DefaultUrlAndText(c.url, c.text);
        EXPECT_EQ(c.url, c.urlAfter);
        EXPECT_EQ(c.text, c.textAfter);
    }
}

TEST(HyperLinkRules, FittingByAlignment) {
    const CRect r(10, 10, 110, 50);
    const CSize t(40, 16);
    EXPECT_EQ(FitToText(r, t, FitAlign::Left, false), CRect(10, 10, 50, 26));
    EXPECT_EQ(FitToText(r, t, FitAlign::Right, false), CRect(70, 10, 110, 26));
    EXPECT_EQ(FitToText(r, t, FitAlign::Centre, true), CRect(40, 22, 80, 38));
}

TEST(HyperLinkRules, CommandLinesAreCutAtTheirFirstPlaceholder) {
    struct Case { const char* command; const char* cut; };
    const Case cases[] = {
        {"firefox-esr %u", "firefox-esr "},
        {"chromium %U --incognito", "chromium "},
        {"/usr/bin/browser \"%u\" --new-window", "/usr/bin/browser "},
        {"viewer --a %f \"%F\"", "viewer --a %f "},  // a quoted one takes precedence over an earlier bare one
        {"legacy.exe -nohome \"%1\"", "legacy.exe -nohome "},
        {"legacy.exe %1", "legacy.exe "},
        {"browser --new-tab", "browser --new-tab"},  // no placeholder: whole
        {"browser %i %c", "browser %i %c"},          // icon and name codes are no placeholders
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CutCommandLine(c.command), c.cut) << c.command;
}

TEST(HyperLinkRules, OpeningFallsBackToTheHtmlHandler) {
    using Argv = std::vector<std::string>;
    std::vector<std::string> opened;
    std::vector<Argv> started;
    bool opens = true;
    std::optional<std::string> handler = "browser --new %u --private";
    bool starts = true;
    LinkLauncher fake{[&](const std::string& u) { opened.push_back(u); return opens; },
                      [&] { return handler; },
                      [&](const Argv& argv) { started.push_back(argv); return starts; }};
    EXPECT_GT(GotoUrl("mailto:a@b.c", fake), 32);
    EXPECT_TRUE(started.empty());
    opens = false;
    EXPECT_GT(GotoUrl("https://example.org", fake), 32);
    EXPECT_EQ(started, (std::vector<Argv>{{"browser", "--new", "https://example.org"}}));
    starts = false;
    EXPECT_EQ(GotoUrl("https://example.org", fake), 2);
    handler = "";  // a handler without a program
    EXPECT_EQ(GotoUrl("https://example.org", fake), 2);
    handler.reset();
    EXPECT_EQ(GotoUrl("https://example.org", fake), 31);
    EXPECT_EQ(opened.size(), 5u);
}

// The fallback hands the target over as one argument: blanks, quotes and shell characters in it
// never become arguments or commands of their own.
TEST(HyperLinkRules, TheTargetReachesTheHandlerAsOneArgument) {
    using Argv = std::vector<std::string>;
    struct Case { const char* handler; const char* url; Argv argv; };
    const Case cases[] = {
        {"browser %u", "/home/u/My Reports/итог 2024.htm", {"browser", "/home/u/My Reports/итог 2024.htm"}},
        {"browser \"%u\"", "https://x.example/a b", {"browser", "https://x.example/a b"}},
        {"browser %u", "https://x.example/\" --incognito \"", {"browser", "https://x.example/\" --incognito \""}},
        {"browser %u", "x; rm -rf ~ && echo $(id) `id` | cat > /tmp/f", {"browser", "x; rm -rf ~ && echo $(id) `id` | cat > /tmp/f"}},
        {"\"/opt/My Browser/run\" --new-window %U", "file:///tmp/a'b", {"/opt/My Browser/run", "--new-window", "file:///tmp/a'b"}},
        {"browser", "", {"browser", ""}},
    };
    for (const Case& c : cases) {
        Argv got;
        LinkLauncher fake{[](const std::string&) { return false; }, [&] { return std::optional<std::string>(c.handler); },
                          [&](const Argv& argv) { got = argv; return true; }};
        EXPECT_GT(GotoUrl(c.url, fake), 32) << c.url;
        EXPECT_EQ(got, c.argv) << c.url;
    }
}

TEST(HyperLinkRules, ErrorTexts) {
    EXPECT_EQ(LinkErrorText(2), "Can't open link:\n\nThe specified file was not found.");
    EXPECT_EQ(LinkErrorText(31), "Can't open link:\n\nThere is no application associated\nwith the given filename extension.");
    EXPECT_EQ(LinkErrorText(26), "Can't open link:\n\nA sharing violation occurred. ");
    EXPECT_EQ(LinkErrorText(7), "Can't open link:\n\nUnknown Error (7) occurred.");
    EXPECT_EQ(LinkErrorText(-1), "Can't open link:\n\nUnknown Error (-1) occurred.");
}

}  // namespace
