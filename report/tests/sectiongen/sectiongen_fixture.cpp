#include "report/tests/sectiongen/sectiongen_fixture.h"

#include <fmt/format.h>

#include <map>
#include <optional>

#include "platform/zordata/zordata.h"

namespace sectiongen_test {

CFixedMetrics TenUnitRowMetrics() {
    CFixedMetrics m;
    m.charWidth = 10.0 / (120.0 * 254.0 / 720.0);
    return m;
}

LOGFONT RowFont() {
    LOGFONT f;
    f.lfHeight = 120;
    f.lfWeight = FW_NORMAL;
    f.lfCharSet = RUSSIAN_CHARSET;
    f.SetFaceName("Arial");
    return f;
}

void SectionGenTest::SetUp() {
    SectionTest::SetUp();
    for (const char* name : {"Name", "Dept", "Qty", "Note", "Pic"}) AddColumn(name, zorSTRING);
}

void SectionGenTest::TearDown() {
    Manager().SetGenerationSheet(nullptr);
    generationSheet.reset();
    SectionTest::TearDown();
}

CTableElement* SectionGenTest::AddTable(CReportSheet* sheet, int left, int top, int width, int height) {
    auto* table = static_cast<CTableElement*>(
        sheet->CreateReportElem(CPoint(left, top - height), CSize(width, height), kElemTable));
    table->SetRowFont(RowFont());
    sheet->Add(table);
    return table;
}

CTableMapElement* SectionGenTest::AddContinuation(CReportSheet* sheet, CTableElement* table, int left, int top,
                                                  int width, int height) {
    auto* map = static_cast<CTableMapElement*>(table->CreateClon());
    map->SetOrigin(CPoint(left, top - height));
    map->SetSize(CSize(width, height));
    sheet->Add(map);
    return map;
}

CReportElement* SectionGenTest::AddText(CReportSheet* sheet, const std::string& text, CPoint origin, CSize size) {
    return NewRect(sheet, origin, size, text);
}

CReportSection* SectionGenTest::AddSection(CTableElement* table, std::vector<CColumn*> columns, int height) {
    auto* section = new CReportSection(&Manager());
    section->SetShowEmptyLines(0);
    section->GetTitle().SetFont(RowFont());
    section->GetLevels().Add(NewLevel("", height, 0, std::move(columns)));
    table->GetSections().Add(section);
    return section;
}

void SectionGenTest::UseGenerationSheet(CReportSheet* pattern) {
    generationSheet.reset(NewSheetLike(&Manager(), *pattern));
    Manager().SetGenerationSheet(generationSheet.get());
}

namespace {

// The upper edge of the sheet's first table or continuation, or none.
std::optional<int> UpperEdge(const CReportSheet* sheet) {
    for (const CReportElement* element : sheet->GetElements())
        if (element->GetKind() == kElemTable || element->GetKind() == kElemTableMap)
            return element->GetOrigin().y + element->GetSize().cy;
    return std::nullopt;
}

bool IsCell(const CReportElement* element) {
    return element->GetKind() == kElemRect || element->GetKind() == kElemPicture;
}

std::string CellText(const CReportElement* element) {
    return element->GetKind() == kElemPicture ? "[pic]" : element->GetTextValue().GetText();
}

}  // namespace

std::vector<std::string> SectionGenTest::Lines(const CReportSheet* sheet) {
    const std::optional<int> upper = UpperEdge(sheet);
    if (!upper) return {};
    std::vector<int> order;
    std::map<int, std::string> lines;
    for (const CReportElement* element : sheet->GetElements()) {
        if (!IsCell(element)) continue;
        const int distance = *upper - (element->GetOrigin().y + element->GetSize().cy);
        if (distance < 0) continue;  // a template element above the table
        auto [it, added] = lines.try_emplace(distance);
        if (added)
            order.push_back(distance);
        else
            it->second += '|';
        it->second += CellText(element);
    }
    std::vector<std::string> out;
    for (int distance : order) out.push_back(fmt::format("{}: {}", distance, lines[distance]));
    return out;
}

std::vector<std::string> SectionGenTest::Cells(const CReportSheet* sheet) {
    std::vector<std::string> out;
    for (const CReportElement* element : sheet->GetElements())
        if (IsCell(element))
            out.push_back(fmt::format("{},{} {}x{} '{}'", element->GetOrigin().x, element->GetOrigin().y,
                                      element->GetSize().cx, element->GetSize().cy, CellText(element)));
    return out;
}

std::vector<std::string> SectionGenTest::SheetNames() {
    std::vector<std::string> out;
    for (CReportSheet* sheet : Manager().GetSheets()) out.push_back(sheet->GetName());
    return out;
}

}  // namespace sectiongen_test
