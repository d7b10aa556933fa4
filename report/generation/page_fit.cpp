#include "report/generation/page_fit.h"

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

Fit CPageFit::Decide(bool (CPageFit::*rule)(const std::vector<FitLevel>&, int&) const,
                     const std::vector<FitLevel>& levels) {
    int offset = m_nOffset;
    if ((this->*rule)(levels, offset)) {
        m_nOffset = offset;
        return Fit::kFits;
    }
    int fromTop = 0;
    return (this->*rule)(levels, fromTop) ? Fit::kNextPage : Fit::kCannotFit;
}

Fit CPageFit::Place(const std::vector<FitLevel>& levels) { return Decide(&CPageFit::Split, levels); }

Fit CPageFit::PlaceWhole(const std::vector<FitLevel>& levels) { return Decide(&CPageFit::Whole, levels); }
