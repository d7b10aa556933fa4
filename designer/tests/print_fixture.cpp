#include "designer/tests/print_fixture.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>

#include "report/model/report_element.h"
#include "report/tests/model/template_lists.h"

namespace print_test {

bool WriteReport(const std::string& path, const ReportSpec& spec, std::string& error) {
    CzorStepDataWithFile store;
    CFolivox manager;
    if (!store.LoadDictionary(QM_DICT_DIR "/quillmark")) {
        error = store.GetLastErrorDescription();
        return false;
    }
    manager.Attach(&store, QM_DICT_DIR);
    for (const auto& bars : spec.sheets) {
        CReportSheet* sheet = model_test::AddPage(manager);
        sheet->SetSize(spec.page);
        for (const Bar& bar : bars) {
            CReportElement* line = sheet->CreateReportElem(CPoint(bar.x, bar.y), CSize(bar.length, 0), kElemLine);
            line->SetLineWidth(30);
            sheet->Add(line);
        }
    }
    const CReportSchema& s = manager.Schema();
    CzorTAggr<CzorInstance> sheets = model_test::WriteSheets(manager);
    CzorInstance* root = model_test::ReportRoot(manager);
    store.PutAttr(root, s.zor_report_sheets, sheets);
    store.PutAttr(root, s.zor_report_mode, spec.mode);
    manager.PutPoint(root, s.zor_report_page_size, CPoint(spec.page.cx, spec.page.cy));
    store.PutAttr(root, s.zor_report_page_orient, spec.orient);
    store.PutAttr(root, s.zor_report_fit_to_page, spec.fit);
    manager.SetRect(root, s.zor_report_print_area, spec.area);
    const bool saved = store.SaveToFile(path.c_str());
    if (!saved) error = store.GetLastErrorDescription();
    manager.Detach();
    return saved;
}

int GreyImage::Darkest(int left, int top, int right, int bottom) const {
    int darkest = 255;
    for (int y = std::max(0, top); y < std::min(height, bottom); ++y)
        for (int x = std::max(0, left); x < std::min(width, right); ++x) darkest = std::min(darkest, At(x, y));
    return darkest;
}

bool ReadPgm(const std::string& path, GreyImage& image) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> image.width >> image.height >> maxValue;
    if (!in || magic != "P5" || maxValue != 255 || image.width <= 0 || image.height <= 0) return false;
    in.get();
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    in.read(reinterpret_cast<char*>(image.pixels.data()), static_cast<std::streamsize>(image.pixels.size()));
    return static_cast<bool>(in);
}

std::pair<int, std::string> RunCommand(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return {-1, out};
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    return {status, out};
}

std::vector<GreyImage> RenderPdf(const std::string& pdf, int dpi, const std::string& folder) {
    std::vector<GreyImage> pages;
    const std::string prefix = folder + "/page";
    if (RunCommand("pdftoppm -gray -r " + std::to_string(dpi) + " '" + pdf + "' '" + prefix + "'").first != 0)
        return pages;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("page", 0) == 0 && entry.path().extension() == ".pgm") files.push_back(entry.path().string());
    }
    // pdftoppm numbers the pages with as many digits as the last one needs, so names sort in page order.
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        GreyImage image;
        if (ReadPgm(file, image)) pages.push_back(std::move(image));
    }
    return pages;
}

PdfFacts ReadPdfInfo(const std::string& pdf) {
    PdfFacts facts;
    const std::string out = RunCommand("pdfinfo '" + pdf + "'").second;
    std::smatch m;
    if (std::regex_search(out, m, std::regex(R"(Pages:\s+(\d+))"))) facts.pages = std::stoi(m[1]);
    if (std::regex_search(out, m, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)"))) {
        facts.width = std::stod(m[1]);
        facts.height = std::stod(m[2]);
    }
    return facts;
}

bool BarShows(const GreyImage& page, const Bar& bar, double zoom, CPoint paperCorner, int dpi) {
    // The middle third of the bar, a pixel either side of its centre line.
    const double scale = dpi / 254.0;
    const double x0 = (bar.x * zoom - paperCorner.x + bar.length * zoom / 3) * scale;
    const double x1 = (bar.x * zoom - paperCorner.x + bar.length * zoom * 2 / 3) * scale;
    const double y = (-bar.y * zoom - paperCorner.y) * scale;
    return page.Darkest(static_cast<int>(x0), static_cast<int>(y) - 1, static_cast<int>(x1), static_cast<int>(y) + 2) <
           100;
}

}  // namespace print_test
