#pragma once
// Where the lines of a block go: the page-breaking rule of section generation, kept apart from measuring text
// and making cells so that it can be read and tested on its own. The rule answers with a break plan, and cell
// making follows it line by line.
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

// The rule's answer for one block. Lines are counted in block order over the levels left in.
struct BreakPlan {
    Fit fit = Fit::kFits;
    int here = 0;     // the block's first lines, written into this element
    int movesOn = 0;  // the lines after them: into the element's continuation when the block fits here, else
                      // (all of them) into the next element
    bool operator==(const BreakPlan&) const = default;
};

// The blocks that must stay on the page of a block placed before them, one at a time.
class FollowingBlocks {
public:
    virtual ~FollowingBlocks() = default;
    // The next block, or null when none follows. The block lives until the next call.
    virtual const std::vector<FitLevel>* Next() = 0;
};

class CPageFit {
public:
    CPageFit(int offset, int elementHeight) : m_nOffset(offset), m_nHeight(elementHeight) {}

    // A block of levels that may split between levels and inside levels that do not keep together (the
    // lines of a data row, a group's title or closing lines): each level left in needs room for its first
    // line, a level that keeps together for all its lines. When it fits, the lines that have room are written
    // here and the rest go on in the continuation, and the offset moves past the whole block (below the
    // element's foot when its last lines go on).
    BreakPlan Place(const std::vector<FitLevel>& levels);
    // The same, keeping the block with the blocks that follow it (the lines after a group's title lines, down
    // to a detail line): it fits here only when each of them fits too, placed the same way from where the
    // block before it ends; likewise in an empty element for kNextPage. The following blocks are asked for
    // only while the blocks before them could still fit here or in an empty element. The offset moves past
    // the block itself.
    BreakPlan Place(const std::vector<FitLevel>& levels, FollowingBlocks& following);
    // A block that never splits (a title line or a filler block): every level left in, whole. When it fits,
    // the offset moves past it.
    BreakPlan PlaceWhole(const std::vector<FitLevel>& levels);
    // The lines of a block after its first `placed` (written into earlier elements), from the offset of a
    // continuation on: those that have room are written here and the rest go on again. kCannotFit when not
    // even the first has room. The offset does not move.
    BreakPlan Continue(const std::vector<FitLevel>& levels, int placed) const;
    // Whether a line whose foot is at offset lies inside an element of the height.
    static bool Inside(int offset, int elementHeight) { return offset >= -elementHeight; }

    int Offset() const { return m_nOffset; }

private:
    // The offset after the block from offset, or false when it does not fit.
    bool Split(const std::vector<FitLevel>& levels, int& offset) const;
    bool Whole(const std::vector<FitLevel>& levels, int& offset) const;
    // The plan of a block whose fit is decided: the lines that have room from the offset stay here.
    BreakPlan Plan(Fit fit, const std::vector<FitLevel>& levels, int placed) const;

    int m_nOffset;
    int m_nHeight;
};
