#include "report/generation/cell_records.h"

#include <algorithm>
#include <initializer_list>
#include <typeinfo>

#include "platform/zordata/step_format.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/store_instances.h"

namespace {

using Field = CCellRecords::Field;

// One value the writing puts: into attr, of the store type; a reference names an instance of target.
struct Put {
    CzorAttr* attr;
    Field field;
    int type;
    const CzorEntity* target = nullptr;
};

// The slots of an instance of entity after the puts, in their order, as PutAttr takes them: a value of
// another type than the attribute's, an attribute the entity does not have, or a reference outside the
// attribute's domain leaves the slot as it was.
std::vector<Field> Fields(const CzorEntity* entity, std::initializer_list<Put> puts) {
    std::vector<Field> fields(static_cast<size_t>(entity->GetAttrCount()), Field::kNone);
    for (const Put& p : puts) {
        if (!p.attr || p.attr->GetType() != p.type) continue;
        const int k = p.attr->GetIndex();
        if (k < 0 || k >= static_cast<int>(fields.size()) || !entity->IsKindOf(p.attr->GetEntity())) continue;
        if (p.type == zorINSTANCE && !(p.target && p.target->IsKindOf(p.attr->GetDomain()))) continue;
        fields[static_cast<size_t>(k)] = p.field;
    }
    return fields;
}

}  // namespace

// --- Spelling the records ----------------------------------------------------------------------------------

namespace {

// A cell as kept: its style's number, its place and size (zigzag), its text's length, then the text, all
// but the text as varints.
uint32_t Zigzag(int32_t v) { return (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v >> 31); }

class Reader {
public:
    explicit Reader(std::string_view bytes)
        : m_p(reinterpret_cast<const unsigned char*>(bytes.data())), m_end(m_p + bytes.size()) {}
    bool Failed() const { return m_failed; }
    bool AtEnd() const { return m_p == m_end; }
    uint32_t Varint() {
        uint32_t v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            if (m_p == m_end) {
                m_failed = true;
                return 0;
            }
            const unsigned char b = *m_p++;
            v |= static_cast<uint32_t>(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
        m_failed = true;
        return 0;
    }
    int32_t Signed() {
        const uint32_t z = Varint();
        return static_cast<int32_t>((z >> 1) ^ (0u - (z & 1)));
    }
    std::string_view Bytes(size_t n) {
        if (static_cast<size_t>(m_end - m_p) < n) {
            m_failed = true;
            m_p = m_end;
            return {};
        }
        std::string_view s(reinterpret_cast<const char*>(m_p), n);
        m_p += n;
        return s;
    }

private:
    const unsigned char* m_p;
    const unsigned char* m_end;
    bool m_failed = false;
};

// The text up to its first NUL, as a stored text holds it.
std::string_view Stored(std::string_view text) { return text.substr(0, text.find('\0')); }

constexpr uint32_t kRecordsOfCell = 5;  // element, text value, font, origin, size

}  // namespace

class CCellRecords::Speller final : public zorRecordSpeller {
public:
    struct Record {
        CzorEntity* entity = nullptr;
        std::string name;           // the entity's, as the file spells it
        std::vector<Field> fields;  // by slot
    };
    Record rect, line, value, font, point;

    // A style's records as a program of steps, each a hole for what differs from cell to cell and the
    // fixed text up to the next hole, which is spelt once.
    struct Step {
        enum Kind : unsigned char {
            kRecord,  // a record begins: its number (arg: its place in the cell), or, unnumbered, skip `skip` steps
            kRef,     // the number of the cell's record at arg, or unset
            kText,    // the cell's text
            kPlace,   // the cell's origin and size value arg (x, y, cx, cy)
        } kind;
        unsigned char arg = 0;
        uint16_t skip = 0;
        uint32_t at = 0, length = 0;  // the fixed text after the hole, in the style's literals
    };
    // Fixed texts up to this long are copied as a block of this size, which the literals and the room
    // of a cell leave space for.
    static constexpr size_t kBlock = 32;
    struct Kept {
        Style style;
        std::vector<Step> steps;
        std::string literals;
        size_t room = 0;  // the most its cell's records take but for the text
    };
    std::vector<Kept> styles;

    const Record& ElementOf(const Style& style) const { return style.kind == kElemLine ? line : rect; }

    size_t Add(const Style& style) {
        using namespace zor_detail::step_format;
        Kept k{style, {}, {}, kBlock};
        const auto literal = [&k](std::string_view text) {
            k.literals.append(text);
            k.steps.back().length += static_cast<uint32_t>(text.size());
            k.room += text.size();
        };
        const auto hole = [&k](Step::Kind kind, unsigned char arg, size_t room) {
            k.steps.push_back(Step{kind, arg, 0, static_cast<uint32_t>(k.literals.size()), 0});
            k.room += room;
        };
        char buf[4 * LF_FACESIZE + 64];
        const auto number = [&](long long v) {
            literal(std::string_view(buf, static_cast<size_t>(PutInt(buf, v) - buf)));
        };
        std::string name;  // the element's name as spelt
        name.resize(4 * style.name.size() + 2);
        name.resize(static_cast<size_t>(PutText(name.data(), Stored(style.name)) - name.data()));
        const std::string_view face(buf, static_cast<size_t>(PutText(buf, style.font.FaceName()) - buf));
        const std::string faceText(face);
        const Record* const records[] = {&ElementOf(style), &value, &font, &point, &point};
        for (unsigned char r = 0; r < kRecordsOfCell; ++r) {
            const size_t begin = k.steps.size();
            hole(Step::kRecord, r, 21);
            literal("=" + records[r]->name + "(");
            bool first = true;
            for (const Field field : records[r]->fields) {
                if (!first) literal(",");
                first = false;
                switch (field) {
                case Field::kNone: literal("$"); break;
                case Field::kName: literal(name); break;
                case Field::kLineWidth: number(style.lineWidth); break;
                case Field::kFixed: number(style.fixed); break;
                case Field::kTextValue: hole(Step::kRef, 1, 21); break;
                case Field::kFont: hole(Step::kRef, 2, 21); break;
                case Field::kOrigin: hole(Step::kRef, 3, 21); break;
                case Field::kSize: hole(Step::kRef, 4, 21); break;
                case Field::kText: hole(Step::kText, 0, 2); break;  // the text's own room is added for each cell
                case Field::kAlign: number(style.align); break;
                case Field::kBorder: number(style.border); break;
                case Field::kOrient: number(style.orient); break;
                case Field::kType: number(style.type); break;
                case Field::kFitText: number(style.fitText); break;
                case Field::kCharSet: number(style.font.lfCharSet); break;
                case Field::kFaceName: literal(faceText); break;
                case Field::kHeight: number(style.font.lfHeight); break;
                case Field::kWeight: number(style.font.lfWeight); break;
                case Field::kItalic: number(style.font.lfItalic); break;
                case Field::kStrikeOut: number(style.font.lfStrikeOut); break;
                case Field::kUnderline: number(style.font.lfUnderline); break;
                // The origin's point is the cell's fourth record, its size's the fifth.
                case Field::kX: hole(Step::kPlace, static_cast<unsigned char>(2 * (r - 3)), 11); break;
                case Field::kY: hole(Step::kPlace, static_cast<unsigned char>(2 * (r - 3) + 1), 11); break;
                }
            }
            literal(");\n");
            k.steps[begin].skip = static_cast<uint16_t>(k.steps.size() - begin - 1);
        }
        k.literals.append(kBlock, '\0');
        styles.push_back(std::move(k));
        return styles.size() - 1;
    }

    bool Spell(std::string_view bytes, uint32_t count, const std::vector<uint32_t>& marks,
               zor_detail::OutBuf& out) const override {
        using namespace zor_detail::step_format;
        if (count % kRecordsOfCell != 0 || marks.size() < count) return false;
        Reader in(bytes);
        for (uint32_t element = 0; element < count; element += kRecordsOfCell) {
            const uint32_t styleAt = in.Varint();
            int32_t place[4];  // origin and size, read in their order
            for (int32_t& v : place) v = in.Signed();
            const std::string_view text = in.Bytes(in.Varint());
            if (in.Failed() || styleAt >= styles.size()) return false;
            const Kept& kept = styles[styleAt];
            const uint32_t* const mark = marks.data() + element;
            const char* const literals = kept.literals.data();
            char* o = out.Room(kept.room + 4 * text.size());
            const Step* const end = kept.steps.data() + kept.steps.size();
            for (const Step* step = kept.steps.data(); step < end; ++step) {
                switch (step->kind) {
                case Step::kRecord:
                    if (!mark[step->arg]) {
                        step += step->skip;
                        continue;
                    }
                    o = PutNumber(o, mark[step->arg]);
                    break;
                case Step::kRef:
                    if (mark[step->arg]) o = PutNumber(o, mark[step->arg]);
                    else *o++ = '$';
                    break;
                case Step::kText: o = PutText(o, text); break;
                case Step::kPlace: o = PutInt(o, place[step->arg]); break;
                }
                if (step->length <= kBlock) std::memcpy(o, literals + step->at, kBlock);
                else std::memcpy(o, literals + step->at, step->length);
                o += step->length;
            }
            out.Commit(o);
        }
        return in.AtEnd();
    }
};

CCellRecords::CCellRecords(CFolivox& manager) : m_store(*manager.GetStore()) {
    const CReportSchema& s = manager.Schema();
    for (const CzorEntity* e : {s.e_zor_report_rect, s.e_zor_report_line, s.e_zor_value, s.e_zor_font, s.e_zor_point})
        if (!e) return;
    // Without these attributes the writing makes no point (CFolivox::PutPoint).
    if (!s.zor_report_sheet_element_org_pt || !s.zor_report_sheet_element_size) return;
    // In the order of CReportElement::WriteCommon, CTextValue::WriteValues, CFolivox::SetFontValue and
    // CFolivox::PutPoint.
    const auto record = [](CzorEntity* entity, std::initializer_list<Put> puts) {
        return Speller::Record{entity, entity->GetUpperName(), Fields(entity, puts)};
    };
    const auto element = [&](CzorEntity* entity) {
        return record(entity, {{s.zor_report_sheet_element_text_value, Field::kTextValue, zorINSTANCE, s.e_zor_value},
                               {s.zor_report_sheet_element_name, Field::kName, zorSTRING},
                               {s.zor_report_sheet_element_line_width, Field::kLineWidth, zorINTEGER},
                               {s.zor_report_sheet_element_fixed, Field::kFixed, zorINTEGER},
                               {s.zor_report_sheet_element_org_pt, Field::kOrigin, zorINSTANCE, s.e_zor_point},
                               {s.zor_report_sheet_element_size, Field::kSize, zorINSTANCE, s.e_zor_point}});
    };
    auto speller = std::make_shared<Speller>();
    speller->rect = element(s.e_zor_report_rect);
    speller->line = element(s.e_zor_report_line);
    speller->value = record(s.e_zor_value, {{s.zor_value_text, Field::kText, zorSTRING},
                                            {s.zor_value_align, Field::kAlign, zorINTEGER},
                                            {s.zor_value_border, Field::kBorder, zorINTEGER},
                                            {s.zor_value_orient, Field::kOrient, zorINTEGER},
                                            {s.zor_value_type, Field::kType, zorINTEGER},
                                            {s.zor_value_font, Field::kFont, zorINSTANCE, s.e_zor_font},
                                            {s.zor_value_fit_text, Field::kFitText, zorINTEGER}});
    speller->font = record(s.e_zor_font, {{s.zor_font_char_set, Field::kCharSet, zorINTEGER},
                                          {s.zor_font_font_name, Field::kFaceName, zorSTRING},
                                          {s.zor_font_height, Field::kHeight, zorINTEGER},
                                          {s.zor_font_weight, Field::kWeight, zorINTEGER},
                                          {s.zor_font_italic, Field::kItalic, zorINTEGER},
                                          {s.zor_font_strikeout, Field::kStrikeOut, zorINTEGER},
                                          {s.zor_font_underline, Field::kUnderline, zorINTEGER}});
    speller->point =
        record(s.e_zor_point, {{s.zor_point_x, Field::kX, zorINTEGER}, {s.zor_point_y, Field::kY, zorINTEGER}});
    m_pSpeller = std::move(speller);
}

CCellRecords::~CCellRecords() = default;

bool CCellRecords::Writes(const CReportElement& cell) {
    if (typeid(cell) != typeid(CReportElement) || (cell.GetKind() != kElemRect && cell.GetKind() != kElemLine))
        return false;
    const CTextValue& text = cell.GetTextValue();
    return !cell.GetInstance() && !IsLive(text.GetInstance()) && !IsLive(text.GetFontInstance()) && !text.GetParam();
}

namespace {

// The cell's fields but its text and place.
CCellRecords::Style StyleOf(const CReportElement& cell) {
    const CTextValue& text = cell.GetTextValue();
    CCellRecords::Style s;
    s.kind = cell.GetKind();
    s.lineWidth = cell.GetLineWidth();
    s.fixed = cell.GetFixed();
    s.name = cell.GetName();
    s.align = text.GetAlign();
    s.border = text.GetBorder();
    s.orient = text.GetOrientation();
    s.type = text.GetType();
    s.fitText = text.GetFitText();
    s.font = text.GetFont();
    return s;
}

// StyleOf(cell) == style, without making the cell's.
bool IsStyleOf(const CCellRecords::Style& s, const CReportElement& cell) {
    const CTextValue& text = cell.GetTextValue();
    const LOGFONT& font = text.GetFont();
    return s.kind == cell.GetKind() && s.lineWidth == cell.GetLineWidth() && s.fixed == cell.GetFixed() &&
           s.align == text.GetAlign() && s.border == text.GetBorder() && s.orient == text.GetOrientation() &&
           s.type == text.GetType() && s.fitText == text.GetFitText() && s.font.lfHeight == font.lfHeight &&
           s.font.lfWeight == font.lfWeight && s.font.lfItalic == font.lfItalic &&
           s.font.lfUnderline == font.lfUnderline && s.font.lfStrikeOut == font.lfStrikeOut &&
           s.font.lfCharSet == font.lfCharSet && s.font.FaceName() == font.FaceName() && s.name == cell.GetName();
}

char* PutVarint(char* o, uint32_t v) {
    while (v >= 0x80) {
        *o++ = static_cast<char>((v & 0x7F) | 0x80);
        v >>= 7;
    }
    *o++ = static_cast<char>(v);
    return o;
}

}  // namespace

void CCellRecords::Add(const CReportElement& cell) {
    const Speller& speller = *m_pSpeller;
    // The cells of a column share their style with the cell before them in it, or one a few columns back.
    size_t at = m_nLastStyle;
    if (at >= speller.styles.size() || !IsStyleOf(speller.styles[at].style, cell)) {
        at = static_cast<size_t>(std::find_if(speller.styles.begin(), speller.styles.end(),
                                              [&](const Speller::Kept& k) { return IsStyleOf(k.style, cell); }) -
                                 speller.styles.begin());
        if (at == speller.styles.size()) {
            // The batches stored keep the styles they name as they were.
            if (m_pSpeller.use_count() > 1) m_pSpeller = std::make_shared<Speller>(speller);
            at = m_pSpeller->Add(StyleOf(cell));
        }
    }
    m_nLastStyle = at;
    if (m_nCells == 0) m_pFirst = m_pSpeller->ElementOf(m_pSpeller->styles[at].style).entity;
    const std::string_view text = Stored(cell.GetTextValue().GetOwnText());
    char head[6 * 5];
    char* o = PutVarint(head, static_cast<uint32_t>(at));
    o = PutVarint(o, Zigzag(cell.GetOrigin().x));
    o = PutVarint(o, Zigzag(cell.GetOrigin().y));
    o = PutVarint(o, Zigzag(cell.GetSize().cx));
    o = PutVarint(o, Zigzag(cell.GetSize().cy));
    o = PutVarint(o, static_cast<uint32_t>(text.size()));
    m_bytes.append(head, static_cast<size_t>(o - head));
    m_bytes.append(text);
    ++m_nCells;
}

CzorInstance* CCellRecords::Commit() {
    CzorInstance* one = nullptr;
    if (m_nCells > 0 && m_pSpeller) {
        std::vector<uint32_t> kept(m_nCells);
        for (uint32_t i = 0; i < m_nCells; ++i) kept[i] = i * kRecordsOfCell;
        one = m_store.StoreSpelledBatch(m_bytes, m_nCells * kRecordsOfCell, kept, m_pFirst, m_pSpeller);
    }
    m_bytes.clear();
    m_nCells = 0;
    m_pFirst = nullptr;
    return one;
}
