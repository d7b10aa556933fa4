// The page-breaking rule on its own: blocks of levels placed from an offset into an element of some height,
// case by case, with the break plan that cell making follows.
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

static void PrintTo(const BreakPlan& plan, std::ostream* os) {
    PrintTo(plan.fit, os);
    *os << ", " << plan.here << " here, " << plan.movesOn << " moving on";
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
    int here;         // Place's plan: lines written here
    int movesOn;      // and the lines after them
    Fit whole;        // PlaceWhole: a title or filler block
    int wholeOffset;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.what; }

class PageFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(PageFitTest, PlacesTheBlockOrSaysWhereItGoes) {
    const FitCase& c = GetParam();
    CPageFit split(c.offset, c.height);
    EXPECT_EQ(split.Place(c.levels), (BreakPlan{c.split, c.here, c.movesOn}));
    EXPECT_EQ(split.Offset(), c.splitOffset);
    CPageFit whole(c.offset, c.height);
    const BreakPlan plan = whole.PlaceWhole(c.levels);
    EXPECT_EQ(plan.fit, c.whole);
    // A whole block is never split: all its lines are written here or none.
    EXPECT_EQ(c.whole == Fit::kFits ? plan.movesOn : plan.here, 0);
    EXPECT_EQ(whole.Offset(), c.wholeOffset);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageFitTest,
    ::testing::Values(
        FitCase{"one_line_with_room", 0, 200, {{50, 1}}, Fit::kFits, -50, 1, 0, Fit::kFits, -50},
        FitCase{"one_line_ending_exactly_at_the_foot", -150, 200, {{50, 1}}, Fit::kFits, -200, 1, 0, Fit::kFits, -200},
        FitCase{"one_line_a_unit_too_low", -151, 200, {{50, 1}}, Fit::kNextPage, -151, 0, 1, Fit::kNextPage, -151},
        FitCase{"a_line_higher_than_the_element", 0, 40, {{50, 1}}, Fit::kCannotFit, 0, 0, 1, Fit::kCannotFit, 0},
        FitCase{"levels_one_after_another", -50, 200, {{50, 1}, {100, 1}}, Fit::kFits, -200, 2, 0, Fit::kFits, -200},
        FitCase{"the_second_level_s_first_line_finds_no_room", -100, 200, {{50, 1}, {100, 1}}, Fit::kNextPage,
                -100, 0, 2, Fit::kNextPage, -100},
        // A row's level of three lines needs room for its first only: the rest go on in the continuation.
        FitCase{"lines_that_may_split", -100, 200, {{50, 3}}, Fit::kFits, -250, 2, 1, Fit::kNextPage, -100},
        FitCase{"lines_kept_together", -100, 200, {{50, 3, kKeep}}, Fit::kNextPage, -100, 0, 3, Fit::kNextPage, -100},
        FitCase{"lines_kept_together_that_fit", -50, 200, {{50, 3, kKeep}}, Fit::kFits, -200, 3, 0, Fit::kFits, -200},
        FitCase{"kept_together_but_higher_than_the_element", 0, 200, {{50, 5, kKeep}}, Fit::kCannotFit, 0, 0, 5,
                Fit::kCannotFit, 0},
        FitCase{"split_lines_higher_than_the_element", 0, 200, {{50, 5}}, Fit::kFits, -250, 4, 1, Fit::kCannotFit, 0},
        // A skipped level takes no room, however high.
        FitCase{"a_skipped_level", -150, 200, {{900, 4, kSkip}, {50, 1}}, Fit::kFits, -200, 1, 0, Fit::kFits, -200},
        FitCase{"only_skipped_levels", -200, 200, {{50, 1, kSkip}}, Fit::kFits, -200, 0, 0, Fit::kFits, -200},
        FitCase{"no_levels", -200, 200, {}, Fit::kFits, -200, 0, 0, Fit::kFits, -200},
        // After a level that went on below the foot, the next level has no room.
        FitCase{"a_level_after_split_lines", -100, 200, {{50, 3}, {50, 1}}, Fit::kNextPage, -100, 0, 4,
                Fit::kNextPage, -100}),
    [](const ::testing::TestParamInfo<FitCase>& info) { return std::string(info.param.what); });

// The blocks that follow, handed out in order; counts how many the rule asked for.
class Following final : public FollowingBlocks {
public:
    explicit Following(const std::vector<std::vector<FitLevel>>& blocks) : m_blocks(blocks) {}
    const std::vector<FitLevel>* Next() override {
        return m_asked < m_blocks.size() ? &m_blocks[m_asked++] : nullptr;
    }
    size_t Asked() const { return m_asked; }

private:
    const std::vector<std::vector<FitLevel>>& m_blocks;
    size_t m_asked = 0;
};

struct KeepCase {
    const char* what;
    int offset;
    int height;
    std::vector<FitLevel> block;
    std::vector<std::vector<FitLevel>> following;
    BreakPlan plan;
    int offsetAfter;  // past the block itself when it fits, else unchanged
    size_t asked;     // following blocks measured
};

void PrintTo(const KeepCase& c, std::ostream* os) { *os << c.what; }

class KeepWithNextTest : public ::testing::TestWithParam<KeepCase> {};

TEST_P(KeepWithNextTest, TheBlockStaysOnlyWithWhatFollowsIt) {
    const KeepCase& c = GetParam();
    Following following(c.following);
    CPageFit fit(c.offset, c.height);
    EXPECT_EQ(fit.Place(c.block, following), c.plan);
    EXPECT_EQ(fit.Offset(), c.offsetAfter);
    EXPECT_EQ(following.Asked(), c.asked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeepWithNextTest,
    ::testing::Values(
        KeepCase{"nothing_follows", -150, 200, {{50, 1}}, {}, {Fit::kFits, 1, 0}, -200, 0},
        KeepCase{"the_next_title_fits_after", 0, 200, {{50, 1}}, {{{50, 1}}}, {Fit::kFits, 1, 0}, -50, 1},
        KeepCase{"down_to_the_detail_line", -50, 200, {{50, 1}}, {{{50, 1}}, {{50, 1}}}, {Fit::kFits, 1, 0},
                 -100, 2},
        // A group's title would stand alone at the foot: it moves on with its detail line.
        KeepCase{"a_title_alone_at_the_foot", -150, 200, {{50, 1}}, {{{50, 1}}}, {Fit::kNextPage, 0, 1}, -150,
                 1},
        KeepCase{"the_detail_line_finds_no_room", -100, 200, {{50, 1}}, {{{50, 1}}, {{50, 1}}},
                 {Fit::kNextPage, 0, 1}, -100, 2},
        KeepCase{"a_chain_higher_than_the_element", 0, 100, {{50, 1}}, {{{50, 1}}, {{50, 1}}},
                 {Fit::kCannotFit, 0, 1}, 0, 2},
        // Each following block is placed as a row is: its first line needs room, the rest may go on.
        KeepCase{"a_following_block_that_splits", -100, 200, {{50, 1}}, {{{50, 3}}}, {Fit::kFits, 1, 0}, -150, 1},
        // A block that runs on into the continuation leaves no room for what must follow it.
        KeepCase{"after_a_split_block", -100, 200, {{50, 3}}, {{{50, 1}}}, {Fit::kNextPage, 0, 3}, -100, 1},
        KeepCase{"the_block_itself_has_no_room", -180, 200, {{50, 1}}, {{{50, 1}}}, {Fit::kNextPage, 0, 1}, -180,
                 1},
        // What can go nowhere asks for nothing more to be measured.
        KeepCase{"the_block_fits_nowhere", 0, 40, {{50, 1}}, {{{50, 1}}}, {Fit::kCannotFit, 0, 1}, 0, 0}),
    [](const ::testing::TestParamInfo<KeepCase>& info) { return std::string(info.param.what); });

struct ContinueCase {
    const char* what;
    int height;
    std::vector<FitLevel> levels;
    int placed;  // lines written into earlier elements
    BreakPlan plan;
};

void PrintTo(const ContinueCase& c, std::ostream* os) { *os << c.what; }

class ContinueTest : public ::testing::TestWithParam<ContinueCase> {};

TEST_P(ContinueTest, TheLinesThatMovedOnGoAsFarAsTheContinuationHoldsThem) {
    const ContinueCase& c = GetParam();
    EXPECT_EQ(CPageFit(0, c.height).Continue(c.levels, c.placed), c.plan);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContinueTest,
    ::testing::Values(ContinueCase{"the_last_line", 200, {{50, 5}}, 4, {Fit::kFits, 1, 0}},
                      ContinueCase{"more_than_it_holds", 100, {{50, 5}}, 1, {Fit::kFits, 2, 2}},
                      ContinueCase{"no_room_for_one_line", 40, {{50, 3}}, 1, {Fit::kCannotFit, 0, 2}},
                      ContinueCase{"skipped_levels_hold_no_lines", 200, {{50, 2, kSkip}, {50, 3}}, 1,
                                   {Fit::kFits, 2, 0}},
                      ContinueCase{"nothing_left", 200, {{50, 2}}, 2, {Fit::kFits, 0, 0}}),
    [](const ::testing::TestParamInfo<ContinueCase>& info) { return std::string(info.param.what); });

TEST(PageFitInsideTest, ALineIsInsideWhileItsFootIsAtOrAboveTheElementsFoot) {
    EXPECT_TRUE(CPageFit::Inside(0, 0));
    EXPECT_TRUE(CPageFit::Inside(-200, 200));
    EXPECT_FALSE(CPageFit::Inside(-201, 200));
}

}  // namespace
}  // namespace sectiongen_test
