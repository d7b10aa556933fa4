#include "report/tests/generation/example_template.h"

#include <fmt/format.h>

#include <cstdint>
#include <vector>

#include "report/tests/generation/template_builder.h"

namespace generation_test {

namespace {

// Column widths of the sales table, tenths of a millimetre: number, date, city, product, quantity, sum.
constexpr int kWidths[] = {220, 220, 330, 580, 150, 250};
constexpr int kTableLeft = 150;
constexpr const char* kHeadings[] = {"Номер", "Дата", "Город", "Товар", "Кол-во", "Сумма, руб."};

void AddColumnHeadings(TemplateBuilder& b, CReportSheet* sheet, int y) {
    int x = kTableLeft;
    for (size_t i = 0; i < std::size(kWidths); ++i) {
        CReportElement* e = b.AddText(sheet, CPoint(x, y), CSize(kWidths[i], 60), kHeadings[i]);
        LOGFONT font = Font(90, "Arial", FW_BOLD);
        e->GetTextValue().SetFont(font);
        x += kWidths[i];
    }
}

// A text without a frame in a plain (upright) font.
void Plain(CReportElement* e, int height, int align = kAlignDefault) {
    e->GetTextValue().SetFont(Font(height));
    e->GetTextValue().SetAlign(align);
    e->SetLineWidth(0);
}

void AddPageNumber(TemplateBuilder& b, CReportSheet* sheet, CReportParam* number, CReportParam* count) {
    Plain(b.AddText(sheet, CPoint(1450, -2900), CSize(180, 50), "Страница"), 90);
    Plain(b.AddParamText(sheet, CPoint(1630, -2900), CSize(100, 50), number), 90);
    Plain(b.AddText(sheet, CPoint(1730, -2900), CSize(70, 50), "из"), 90);
    Plain(b.AddParamText(sheet, CPoint(1800, -2900), CSize(100, 50), count), 90);
}

// A closing line: the number of sales with its label under the number and the date, the text under the
// city and the product, then the sums of the quantity and of the money under their headings.
CSectionLevel* Totals(TemplateBuilder& b, const std::string& text, CHeaderColumn* quantity, CHeaderColumn* sum) {
    const int right = kAlignRight | kAlignVCenter;
    CColumn* countLabel = TemplateBuilder::TextColumn("Продаж:", kWidths[0]);
    countLabel->m_nAlign = right;
    CColumn* count = TemplateBuilder::FieldColumn(nullptr, kWidths[1], kColumnCount);
    count->m_nAlign = kAlignLeft | kAlignVCenter;
    CColumn* label = TemplateBuilder::TextColumn(text, kWidths[2] + kWidths[3]);
    label->m_nAlign = right;
    CColumn* pieces = TemplateBuilder::FieldColumn(quantity, kWidths[4], kColumnSum);
    pieces->m_nAlign = right;
    CColumn* total = TemplateBuilder::FieldColumn(sum, kWidths[5], kColumnSum);
    total->m_nAlign = right;
    return b.Level(60, {countLabel, count, label, pieces, total});
}

// A grouping column with a title line showing its value and, when totals is not empty, a closing line.
CGroupCol* Group(TemplateBuilder& b, CHeaderColumn* column, const std::string& name, int titleHeight,
                 const LOGFONT& font, const std::string& totals, CHeaderColumn* quantity, CHeaderColumn* sum) {
    auto* group = new CGroupCol(&b.Manager());
    group->m_pColumn = column;
    group->m_Name = name;
    group->m_Font = font;
    CColumn* title = TemplateBuilder::FieldColumn(column, kWidths[0] + kWidths[1] + kWidths[2] + kWidths[3] +
                                                              kWidths[4] + kWidths[5]);
    title->m_nAlign = kAlignLeft | kAlignVCenter;
    group->m_Rows.Add(b.Level(titleHeight, {title}));
    if (!totals.empty()) group->m_LastRows.Add(Totals(b, totals, quantity, sum));
    return group;
}

// A small deterministic generator: the example data is the same on every machine.
class Sequence {
public:
    explicit Sequence(uint32_t seed) : m_state(seed) {}
    uint32_t Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

private:
    uint32_t m_state;
};

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

bool WriteExampleTemplate(const std::string& path, std::string* error) {
    TemplateBuilder b;
    if (!b.Ready()) {
        if (error) *error = "no report dictionary";
        return false;
    }
    CReportParam* organisation = b.AddParam("Организация", kParamText, "организация не указана");
    CReportParam* period = b.AddParam("Период", kParamText, "период не указан");
    CReportParam* date = b.AddParam(PageFieldParamName(kParamReportDate), kParamReportDate);
    CReportParam* number = b.AddParam(PageFieldParamName(kParamLocalPageNumber), kParamLocalPageNumber);
    CReportParam* count = b.AddParam(PageFieldParamName(kParamLocalPageCount), kParamLocalPageCount);

    CHeaderColumn* numberColumn = b.Column("Номер");
    CHeaderColumn* dateColumn = b.Column("Дата");
    CHeaderColumn* region = b.Column("Регион");
    CHeaderColumn* city = b.Column("Город");
    CHeaderColumn* product = b.Column("Товар");
    CHeaderColumn* quantity = b.Column("Количество");
    CHeaderColumn* sum = b.Column("Сумма");
    CHeaderColumn* status = b.Column("Статус");

    // The title page: what the report is, its parameters and the table of contents.
    CReportSheet* title = b.AddSheet();
    CReportElement* heading = b.AddText(title, CPoint(150, -350), CSize(1800, 150), "Отчёт о продажах");
    heading->GetTextValue().SetFont(Font(220, "Arial", FW_BOLD));
    heading->SetLineWidth(0);
    const struct {
        const char* label;
        CReportParam* param;
    } fields[] = {{"Организация:", organisation}, {"Период:", period}, {"Дата формирования:", date}};
    int y = -520;
    for (const auto& f : fields) {
        Plain(b.AddText(title, CPoint(150, y), CSize(500, 70), f.label), 110, kAlignLeft | kAlignVCenter);
        Plain(b.AddParamText(title, CPoint(650, y), CSize(1300, 70), f.param), 110, kAlignLeft | kAlignVCenter);
        y -= 80;
    }
    CTableContentElement* contents = b.AddContents(title, CPoint(150, -2800), CSize(1800, 1950));
    contents->SetLineWidth(0);
    contents->SetTitleFont(Font(160, "Arial", FW_BOLD));
    const struct {
        double indent;
        LOGFONT font;
    } levels[] = {{0.5, Font(110, "Arial", FW_BOLD)}, {5.0, Font(110)}, {5.0, Font(100)}};
    for (const auto& l : levels) {
        CTableContentTitleLevel* level = contents->GetContentTitle().AddLevel();
        level->SetIndent(l.indent);
        level->SetFont(l.font);
    }

    // The table page.
    CReportSheet* tablePage = b.AddSheet();
    CReportElement* caption = b.AddParamText(tablePage, CPoint(150, -180), CSize(1800, 80), organisation);
    caption->GetTextValue().SetFont(Font(120, "Arial", FW_BOLD));
    caption->SetLineWidth(0);
    AddColumnHeadings(b, tablePage, -300);
    CTableElement* table = b.AddTable(tablePage, CPoint(kTableLeft, -2850), CSize(1750, 2550), 6);
    table->SetName("Продажи");
    table->SetRowFont(Font(90));
    AddPageNumber(b, tablePage, number, count);

    auto* section = new CReportSection(&b.Manager());
    section->SetName("Продажи");
    section->GetTitle().SetText(std::string("Продажи по регионам"));
    section->GetTitle().SetFont(Font(110, "Arial", FW_BOLD));
    const int columns[] = {0, 1, 2, 3, 4, 5};
    CHeaderColumn* sources[] = {numberColumn, dateColumn, city, product, quantity, sum};
    std::vector<CColumn*> detail;
    for (int i : columns) {
        CColumn* c = TemplateBuilder::FieldColumn(sources[i], kWidths[i]);
        c->m_nAlign = (i >= 4 ? kAlignRight : kAlignLeft) | kAlignVCenter;
        detail.push_back(c);
    }
    section->GetLevels().Add(b.Level(55, detail));
    section->SetTitleColumn(section->GetLevels().GetColumn(0, 3));
    section->GetConditions().Add(TemplateBuilder::Condition(status, kCondNotEqual, std::string("отменён")));
    section->GetGroups().Add(Group(b, region, "\"Регион \" + Регион", 70, Font(110, "Arial", FW_BOLD),
                                   "Итого по региону:", quantity, sum));
    section->GetGroups().Add(Group(b, city, "Город", 65, Font(100, "Arial", FW_BOLD), "", quantity, sum));
    section->GetSorts().Add(numberColumn);
    table->GetSections().Add(section);

    // The continuation page.
    CReportSheet* more = b.AddSheet();
    AddColumnHeadings(b, more, -150);
    b.AddContinuation(more, table, CPoint(kTableLeft, -2850), CSize(1750, 2700));
    AddPageNumber(b, more, number, count);

    return b.Save(path, error);
}

std::string ExampleData(int rows) {
    struct Place {
        const char* region;
        const char* city;
    };
    const Place places[] = {
        {"Северо-Запад", "Санкт-Петербург"}, {"Северо-Запад", "Великий Новгород"}, {"Северо-Запад", "Псков"},
        {"Центр", "Москва"},                 {"Центр", "Тверь"},                  {"Центр", "Ярославль"},
        {"Поволжье", "Казань"},              {"Поволжье", "Самара"},              {"Поволжье", "Нижний Новгород"},
        {"Урал", "Екатеринбург"},            {"Урал", "Пермь"},
    };
    struct Product {
        const char* name;
        int price;
    };
    const Product products[] = {
        {"Бумага офисная А4, 500 листов", 420}, {"Ручка шариковая \"Классика\"", 35}, {"Степлер №24", 310},
        {"Папка-регистратор, 75 мм", 260},      {"Маркер текстовый", 90},              {"Блокнот в клетку", 120},
    };
    const char* managers[] = {"Иванова А. С.", "Петров Б. В.", "Сидорова Е. Н.", "Кузнецов Д. О."};

    // Numbers are given in shuffled order, so that the report sorts them (naturally: Д-2 before Д-10).
    std::vector<int> order(static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i) order[static_cast<size_t>(i)] = i + 1;
    Sequence random(20240305u);
    for (int i = rows - 1; i > 0; --i) std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(random.Below(i + 1))]);

    std::string out = "\"Номер\",\"Дата\",\"Регион\",\"Город\",\"Менеджер\",\"Товар\",\"Количество\",\"Цена\",\"Сумма\",\"Статус\"\n";
    for (int n : order) {
        const Place& place = places[random.Below(static_cast<int>(std::size(places)))];
        const Product& product = products[random.Below(static_cast<int>(std::size(products)))];
        const int quantity = 1 + random.Below(40);
        const int day = 1 + random.Below(28);
        const int month = 1 + random.Below(3);
        const char* status = n % 17 == 0 ? "отменён" : "выполнен";
        const std::string fields[] = {
            fmt::format("Д-{}", n),
            fmt::format("{:02d}.{:02d}.2024", day, month),
            place.region,
            place.city,
            managers[random.Below(static_cast<int>(std::size(managers)))],
            product.name,
            std::to_string(quantity),
            std::to_string(product.price),
            std::to_string(quantity * product.price),
            status,
        };
        for (size_t i = 0; i < std::size(fields); ++i) out += (i ? "," : "") + Quoted(fields[i]);
        out += "\n";
    }
    return out;
}

std::string ExampleParameters() {
    return "Организация=ООО «Северный ветер»\n"
           "Период=январь — март 2024 г.\n";
}

}  // namespace generation_test
