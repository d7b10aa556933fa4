#include "report/generation/page_fit.h"

namespace {

int LinesOf(const std::vector<FitLevel>& levels) {
    int lines = 0;
    for (const FitLevel& level : levels)
        if (!Has(level.flags, LevelFit::kSkip)) lines += level.lines;
    return lines;
}

}  // namespace

bool CPageFit::Split(const std::vector<FitLevel>& levels, int& offset) const {
    for (const FitLevel& level : levels) {
        if (Has(level.flags, LevelFit::kSkip)) continue;
        offset -= level.height;
        if (!Inside(offset, m_nHeight)) return false;
        for (int k = 1; k < level.lines; ++k) {
            offset -= level.height;
            if (!Inside(offset, m_nHeight) && Has(level.flags, LevelFit::kKeepTogether)) return false;
        }
    }
    return true;
}

bool CPageFit::Whole(const std::vector<FitLevel>& levels, int& offset) const {
    for (const FitLevel& level : levels)
        if (!Has(level.flags, LevelFit::kSkip)) offset -= level.lines * level.height;
    return Inside(offset, m_nHeight);
}

BreakPlan CPageFit::Plan(Fit fit, const std::vector<FitLevel>& levels, int placed) const {
    const int lines = LinesOf(levels) - placed;
    if (fit != Fit::kFits) return {fit, 0, lines};
    // Offsets only fall, so the lines that have room are the first ones.
    int here = 0, skip = placed, offset = m_nOffset;
    for (const FitLevel& level : levels) {
        if (Has(level.flags, LevelFit::kSkip)) continue;
        for (int k = 0; k < level.lines; ++k) {
            if (skip > 0) {
                --skip;
                continue;
            }
            offset -= level.height;
            if (!Inside(offset, m_nHeight)) return {fit, here, lines - here};
            ++here;
        }
    }
    return {fit, here, lines - here};
}

BreakPlan CPageFit::Place(const std::vector<FitLevel>& levels) {
    struct None final : FollowingBlocks {
        const std::vector<FitLevel>* Next() override { return nullptr; }
    } none;
    return Place(levels, none);
}

BreakPlan CPageFit::Place(const std::vector<FitLevel>& levels, FollowingBlocks& following) {
    int offset = m_nOffset, fromTop = 0;
    bool here = Split(levels, offset);
    bool empty = Split(levels, fromTop);
    const int after = offset;
    while (here || empty) {
        const std::vector<FitLevel>* next = following.Next();
        if (!next) break;
        here = here && Split(*next, offset);
        empty = empty && Split(*next, fromTop);
    }
    const BreakPlan plan = Plan(here ? Fit::kFits : empty ? Fit::kNextPage : Fit::kCannotFit, levels, 0);
    if (here) m_nOffset = after;
    return plan;
}

BreakPlan CPageFit::PlaceWhole(const std::vector<FitLevel>& levels) {
    int offset = m_nOffset, fromTop = 0;
    const Fit fit = Whole(levels, offset) ? Fit::kFits : Whole(levels, fromTop) ? Fit::kNextPage : Fit::kCannotFit;
    const BreakPlan plan = Plan(fit, levels, 0);
    if (fit == Fit::kFits) m_nOffset = offset;
    return plan;
}

BreakPlan CPageFit::Continue(const std::vector<FitLevel>& levels, int placed) const {
    BreakPlan plan = Plan(Fit::kFits, levels, placed);
    if (plan.here == 0 && plan.movesOn > 0) plan.fit = Fit::kCannotFit;
    return plan;
}
