#pragma once
// A finished page's text cells written straight as the records their writing would leave in the store
// (CReportElement::Update, then packing as one), without their instances being made: what each slot of
// each record holds is worked out once from the dictionary, as the store would take the values the cell's
// writing gives it, and every cell then only fills its values in.
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

    CzorStepData& Store() const { return m_batch.Store(); }
    // The dictionary has every entity a cell's writing makes (else cells are written as instances).
    bool Ready() const { return m_ready; }
    // A plain text rectangle or line, its text showing no parameter, without store instances yet: its
    // writing makes its own instance, its text value's and its font's, and its origin's and size's, from
    // nothing but its fields.
    static bool Writes(const CReportElement& cell);

    // Adds the cell's records to the batch (the cell Writes).
    void Add(const CReportElement& cell);
    // Stores the batch: the instance standing for the cells, or null with nothing stored.
    CzorInstance* Commit() { return m_batch.Commit(); }

    // What a slot holds.
    enum class Field : unsigned char {
        kNone,
        kName, kLineWidth, kFixed, kTextValue, kOrigin, kSize,                // the element
        kText, kAlign, kBorder, kOrient, kType, kFont, kFitText,               // its text value
        kCharSet, kFaceName, kHeight, kWeight, kItalic, kStrikeOut, kUnderline,  // the font
        kX, kY,                                                                // a point
    };

private:
    struct Record {
        CzorEntity* entity = nullptr;
        std::vector<Field> fields;  // by slot
    };
    void Emit(const Record& record, const CReportElement& cell, uint32_t element, int x, int y);

    zorBatchWriter m_batch;
    Record m_rect, m_line, m_value, m_font, m_point;
    bool m_ready = false;
    // The cells of a column share their element's and their font's fields: the records last written of
    // them are written again as they are while the fields stay the same.
    struct ElementKey {
        int kind = -1, lineWidth = 0, fixed = 0;
        std::string name;
    } m_lastElementKey;
    LOGFONT m_lastFontKey;
    zorBatchWriter::Record m_lastElement, m_lastFont;
};
