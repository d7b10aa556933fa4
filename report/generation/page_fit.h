#pragma once
// Whether a block of lines fits into the element being filled: the page-fitting rule of section generation,
// kept apart from measuring text and making cells so that it can be read and tested on its own.
//
// Positions are those of section generation: the vertical offset is 0 at the element's upper edge and falls
// by each line's height; a line fits while the offset after it stays at or above minus the element's
// height. A block is a run of levels, each of some lines of one height. A level may be left out (an empty
// level that hides when empty); a level that keeps its lines together fits only whole, any other needs
// room for its first line and may go on in the element's continuation.
#include <vector>

#include "report/model/gen_flags.h"

// How one level of a block takes part in fitting.
enum class LevelFit : unsigned {
    kNone = 0,
    kKeepTogether = 1,  // its lines never split across elements
    kSkip = 2,          // left out: it takes no room
};
template <> struct EnableFlags<LevelFit> : std::true_type {};

// One level of a block as measured.
struct FitLevel {
    int height = 0;  // of each of its lines
    int lines = 1;
    LevelFit flags = LevelFit::kNone;
};

// Where a block goes.
enum class Fit {
    kFits,       // here, from the current offset
    kNextPage,   // not here, but in an empty element of the same height
    kCannotFit,  // not even in an empty element of the same height
};

class CPageFit {
public:
    CPageFit(int offset, int elementHeight) : m_nOffset(offset), m_nHeight(elementHeight) {}

    // A block of levels that may split between levels and inside levels that do not keep together (the
    // lines of a data row, a group's title or closing lines): each level left in needs room for its first
    // line, a level that keeps together for all its lines. When it fits, the offset moves past the whole
    // block (below the element's foot when its last lines go on in the continuation).
    Fit Place(const std::vector<FitLevel>& levels);
    // A block that never splits (a title line or a filler block): every level left in, whole. When it fits,
    // the offset moves past it.
    Fit PlaceWhole(const std::vector<FitLevel>& levels);
    // Whether a line whose foot is at offset lies inside an element of the height.
    static bool Inside(int offset, int elementHeight) { return offset >= -elementHeight; }

    int Offset() const { return m_nOffset; }

private:
    // The offset after the block from offset, or false when it does not fit.
    bool Split(const std::vector<FitLevel>& levels, int& offset) const;
    bool Whole(const std::vector<FitLevel>& levels, int& offset) const;
    Fit Decide(bool (CPageFit::*rule)(const std::vector<FitLevel>&, int&) const, const std::vector<FitLevel>& levels);

    int m_nOffset;
    int m_nHeight;
};
