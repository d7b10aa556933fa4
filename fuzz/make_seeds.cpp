// Writes the seed corpora that our own writers make: small pictures of every format and depth, a template
// with every kind of element (a table with a section, a group, a condition and a formula column, a
// picture, a table of contents), the report generated from it, and the clipboard records of its elements,
// its section and a text. Run from the build folder: fuzz_make_seeds <fuzz/corpus>. The files are kept in
// the repository; running it again gives the same files.
#include <fmt/format.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/generation_support.h"
#include "report/model/group_col.h"
#include "report/model/image/image_file.h"
#include "report/model/mem_record.h"
#include "report/model/picture_element.h"
#include "report/model/report_section.h"
#include "report/tests/generation/template_builder.h"

namespace {

using generation_test::Font;
using generation_test::TemplateBuilder;

std::string g_root;

void Put(const std::string& target, const std::string& name, std::string_view bytes) {
    std::filesystem::create_directories(g_root + "/" + target);
    fuzz::WriteFile(g_root + "/" + target + "/" + name, bytes);
}

std::string_view View(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// A picture with a pattern every depth shows: stripes of palette entries or colours.
void Pattern(CImageFile& image, int width, int height, int bits) {
    image.Create(width, height, bits);
    if (bits <= 8) image.SetGrayPalette();
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image.GetRowFromTop(y);
        for (int i = 0; i < image.GetStride(); ++i) row[i] = static_cast<uint8_t>((i * 37 + y * 11) & 0xff);
    }
}

std::vector<uint8_t> SmallPng() {
    CImageFile image;
    Pattern(image, 6, 4, 24);
    std::vector<uint8_t> bytes;
    image.SaveToMemory(bytes, IMAGE_FORMAT_PNG);
    return bytes;
}

void Images() {
    const char* names[] = {"bmp", "gif", "jpeg", "png", "ico", "tiff"};
    for (int format = 0; format < 6; ++format)
        for (int bits : {1, 4, 8, 24})
            for (auto [w, h] : {std::pair{5, 3}, std::pair{17, 9}}) {
                CImageFile image;
                Pattern(image, w, h, bits);
                std::vector<uint8_t> bytes;
                if (!image.SaveToMemory(bytes, format)) continue;
                Put(std::string("image_") + names[format], fmt::format("{}x{}x{}.{}", w, h, bits, names[format]),
                    View(bytes));
            }
}

template <class Item>
std::vector<uint8_t> Record(uint8_t selector, Item& item) {
    std::vector<uint8_t> bytes{selector};
    CRecordWriter out(bytes);
    item.CopyToMem(out);
    return bytes;
}

bool Template(const std::string& path) {
    TemplateBuilder b;
    if (!b.Ready()) return false;
    CReportParam* organisation = b.AddParam("Организация", kParamText, "организация не указана");
    CReportParam* number = b.AddParam(PageFieldParamName(kParamLocalPageNumber), kParamLocalPageNumber);
    CHeaderColumn* id = b.Column("Номер");
    CHeaderColumn* region = b.Column("Регион");
    CHeaderColumn* quantity = b.Column("Количество");
    CHeaderColumn* status = b.Column("Статус");
    CHeaderColumn* label = b.Computed("Подпись=\"№ \" + Номер + ?(Статус = \"отменён\", \" (отменён)\")");

    CReportSheet* sheet = b.AddSheet();
    b.AddText(sheet, CPoint(150, -150), CSize(1800, 100), "Заголовок")->GetTextValue().SetFont(Font(160));
    b.AddParamText(sheet, CPoint(150, -260), CSize(1800, 60), organisation);
    b.AddParamText(sheet, CPoint(1800, -2900), CSize(100, 50), number);
    CReportElement* line = sheet->CreateReportElem(CPoint(150, -330), CSize(1800, 0), kElemLine);
    sheet->Add(line);
    b.AddContents(sheet, CPoint(150, -2800), CSize(800, 300))->GetContentTitle().AddLevel();
    auto* picture = new CPictureElement(&b.Manager());
    picture->SetOrigin(CPoint(1500, -2400));
    picture->SetSize(CSize(300, 200));
    const std::vector<uint8_t> png = SmallPng();
    picture->LoadPictureData(png.data(), png.size(), IMAGE_FORMAT_PNG);
    sheet->Add(picture);

    CTableElement* table = b.AddTable(sheet, CPoint(150, -2300), CSize(1200, 1900), 6);
    table->SetName("Продажи");
    auto* section = new CReportSection(&b.Manager());
    section->SetName("Продажи");
    section->GetTitle().SetText(std::string("Продажи"));
    section->GetLevels().Add(b.Level(55, {TemplateBuilder::FieldColumn(id, 300), TemplateBuilder::FieldColumn(label, 600),
                                          TemplateBuilder::FieldColumn(quantity, 300)}));
    section->SetTitleColumn(section->GetLevels().GetColumn(0, 0));
    section->GetConditions().Add(TemplateBuilder::Condition(status, kCondNotEqual, std::string("отменён")));
    auto* group = new CGroupCol(&b.Manager());
    group->m_pColumn = region;
    group->m_Name = "Регион";
    group->m_Rows.Add(b.Level(60, {TemplateBuilder::FieldColumn(region, 1200)}));
    group->m_LastRows.Add(b.Level(60, {TemplateBuilder::TextColumn("Итого", 900),
                                       TemplateBuilder::FieldColumn(quantity, 300, kColumnSum)}));
    section->GetGroups().Add(group);
    section->GetSorts().Add(id);
    table->GetSections().Add(section);

    // Records of what the clipboard carries: every element (selector 0), the section (1), a text (2).
    for (int i = 0; i < sheet->GetElementCount(); ++i)
        Put("records", fmt::format("element-{}", i), View(Record(0, *sheet->GetElement(i))));
    Put("records", "section", View(Record(1, *section)));
    Put("records", "text", View(Record(2, sheet->GetElement(0)->GetTextValue())));

    std::string error;
    if (!b.Save(path, &error)) {
        std::fprintf(stderr, "make_seeds: %s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds <fuzz/corpus>\n");
        return 2;
    }
    g_root = argv[1];
    fuzz::Folder();
    Images();
    const std::string templatePath = fuzz::PathOf("built.zordot");
    if (!Template(templatePath)) return 1;
    const std::string templateBytes = fuzz::ReadFile(templatePath);
    Put("step", "built.zordot", templateBytes);
    Put("generation", "built.zordot", templateBytes);
    const std::string report = fuzz::PathOf("built.zorrep");
    if (!fuzz::Generate("make_seeds", templatePath, fuzz::SourcePath("examples/sales.par"), report)) {
        std::fprintf(stderr, "make_seeds: the built template does not generate\n");
        return 1;
    }
    const std::string reportBytes = fuzz::ReadFile(report);
    Put("step", "built.zorrep", reportBytes);
    Put("merge", "source.zorrep", std::string(1, '\0') + reportBytes);
    Put("merge", "target.zorrep", std::string(1, '\1') + reportBytes);
    return 0;
}
