#pragma once
// A finished page's text cells kept for the file as the records their writing would leave in the store
// (CReportElement::Update, then packing as one), without their instances being made. What each slot of
// each record holds is worked out once from the dictionary, as the store would take the values the cell's
// writing gives it. A page's cells mostly differ in their text and place only, so a cell is kept as those
// and the number of its style (every other field, shared by the cells alike) in the store's temporary
// file, and spelt out as its five records only when the file is written.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/gdi_types.h"
#include "platform/zordata/packed_batch.h"

class CFolivox;
class CReportElement;
class CzorEntity;
class CzorInstance;
class CzorStepData;

class CCellRecords {
public:
    explicit CCellRecords(CFolivox& manager);
    ~CCellRecords();

    CzorStepData& Store() const { return m_store; }
    // The dictionary has every entity a cell's writing makes (else cells are written as instances).
    bool Ready() const { return m_pSpeller != nullptr; }
    // A plain text rectangle or line, its text showing no parameter, without store instances yet: its
    // writing makes its own instance, its text value's and its font's, and its origin's and size's, from
    // nothing but its fields.
    static bool Writes(const CReportElement& cell);

    // Adds the cell's records to the batch (the cell Writes, the records are Ready).
    void Add(const CReportElement& cell);
    // Stores the batch and starts an empty one: the instance standing for the cells, or null with nothing
    // stored.
    CzorInstance* Commit();

    // What a slot holds.
    enum class Field : unsigned char {
        kNone,
        kName, kLineWidth, kFixed, kTextValue, kOrigin, kSize,                // the element
        kText, kAlign, kBorder, kOrient, kType, kFont, kFitText,               // its text value
        kCharSet, kFaceName, kHeight, kWeight, kItalic, kStrikeOut, kUnderline,  // the font
        kX, kY,                                                                // a point
    };

    // Every field of a cell but its text and place.
    struct Style {
        int kind = 0, lineWidth = 0, fixed = 0;
        std::string name;
        int align = 0, border = 0, orient = 0, type = 0, fitText = 0;
        LOGFONT font;
    };
    class Speller;

private:
    CzorStepData& m_store;
    // Shared with the batches stored; copied before a style is added while any holds it.
    std::shared_ptr<Speller> m_pSpeller;
    std::string m_bytes;  // the batch's cells
    uint32_t m_nCells = 0;
    CzorEntity* m_pFirst = nullptr;  // the entity of the batch's first element record
    size_t m_nLastStyle = 0;
};
