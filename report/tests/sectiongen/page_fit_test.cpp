// The page-fitting rule on its own: blocks of levels placed from an offset into an element of some height,
// case by case.
#include <gtest/gtest.h>

#include <ostream>

#include "report/generation/page_fit.h"

// Failures name the results (found by argument-dependent lookup, so beside Fit).
static void PrintTo(Fit fit, std::ostream* os) {
    switch (fit) {
    case Fit::kFits: *os << "fits"; return;
    case Fit::kNextPage: *os << "next page"; return;
    case Fit::kCannotFit: *os << "cannot fit"; return;
    }
}

namespace sectiongen_test {
namespace {

constexpr LevelFit kKeep = LevelFit::kKeepTogether;
constexpr LevelFit kSkip = LevelFit::kSkip;

struct FitCase {
    const char* what;
    int offset;
    int height;  // of the element
    std::vector<FitLevel> levels;
    Fit split;        // Place: a row's lines
    int splitOffset;  // the offset after Place (unchanged unless it fits)
    Fit whole;        // PlaceWhole: a title or filler block
    int wholeOffset;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.what; }

class PageFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(PageFitTest, PlacesTheBlockOrSaysWhereItGoes) {
    const FitCase& c = GetParam();
    CPageFit split(c.offset, c.height);
    EXPECT_EQ(split.Place(c.levels), c.split);
    EXPECT_EQ(split.Offset(), c.splitOffset);
    CPageFit whole(c.offset, c.height);
    EXPECT_EQ(whole.PlaceWhole(c.levels), c.whole);
    EXPECT_EQ(whole.Offset(), c.wholeOffset);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageFitTest,
    ::testing::Values(
        FitCase{"one_line_with_room", 0, 200, {{50, 1}}, Fit::kFits, -50, Fit::kFits, -50},
        FitCase{"one_line_ending_exactly_at_the_foot", -150, 200, {{50, 1}}, Fit::kFits, -200, Fit::kFits, -200},
        FitCase{"one_line_a_unit_too_low", -151, 200, {{50, 1}}, Fit::kNextPage, -151, Fit::kNextPage, -151},
        FitCase{"a_line_higher_than_the_element", 0, 40, {{50, 1}}, Fit::kCannotFit, 0, Fit::kCannotFit, 0},
        FitCase{"levels_one_after_another", -50, 200, {{50, 1}, {100, 1}}, Fit::kFits, -200, Fit::kFits, -200},
        FitCase{"the_second_level_s_first_line_finds_no_room", -100, 200, {{50, 1}, {100, 1}}, Fit::kNextPage,
                -100, Fit::kNextPage, -100},
        // A row's level of three lines needs room for its first only: the rest go on in the continuation.
        FitCase{"lines_that_may_split", -100, 200, {{50, 3}}, Fit::kFits, -250, Fit::kNextPage, -100},
        FitCase{"lines_kept_together", -100, 200, {{50, 3, kKeep}}, Fit::kNextPage, -100, Fit::kNextPage, -100},
        FitCase{"lines_kept_together_that_fit", -50, 200, {{50, 3, kKeep}}, Fit::kFits, -200, Fit::kFits, -200},
        FitCase{"kept_together_but_higher_than_the_element", 0, 200, {{50, 5, kKeep}}, Fit::kCannotFit, 0,
                Fit::kCannotFit, 0},
        FitCase{"split_lines_higher_than_the_element", 0, 200, {{50, 5}}, Fit::kFits, -250, Fit::kCannotFit, 0},
        // A skipped level takes no room, however high.
        FitCase{"a_skipped_level", -150, 200, {{900, 4, kSkip}, {50, 1}}, Fit::kFits, -200, Fit::kFits, -200},
        FitCase{"only_skipped_levels", -200, 200, {{50, 1, kSkip}}, Fit::kFits, -200, Fit::kFits, -200},
        FitCase{"no_levels", -200, 200, {}, Fit::kFits, -200, Fit::kFits, -200},
        // After a level that went on below the foot, the next level has no room.
        FitCase{"a_level_after_split_lines", -100, 200, {{50, 3}, {50, 1}}, Fit::kNextPage, -100,
                Fit::kNextPage, -100}),
    [](const ::testing::TestParamInfo<FitCase>& info) { return std::string(info.param.what); });

TEST(PageFitInsideTest, ALineIsInsideWhileItsFootIsAtOrAboveTheElementsFoot) {
    EXPECT_TRUE(CPageFit::Inside(0, 0));
    EXPECT_TRUE(CPageFit::Inside(-200, 200));
    EXPECT_FALSE(CPageFit::Inside(-201, 200));
}

}  // namespace
}  // namespace sectiongen_test
