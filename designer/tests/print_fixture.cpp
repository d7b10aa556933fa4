#include "designer/tests/print_fixture.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <QRect>

#include "report/model/report_element.h"
#include "report/tests/model/template_lists.h"

namespace print_test {

bool WriteReport(const std::string& path, const ReportPlan& plan, std::string& error) {
    CzorStepDataWithFile store;
    CFolivox manager;
    if (!store.LoadDictionary(QM_DICT_DIR "/quillmark")) {
        error = store.GetLastErrorDescription();
        return false;
    }
    manager.Attach(&store, QM_DICT_DIR);
    for (const auto& bars : plan.sheets) {
        CReportSheet* sheet = model_test::AddPage(manager);
        sheet->SetSize(plan.page);
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
    store.PutAttr(root, s.zor_report_mode, plan.mode);
    manager.PutPoint(root, s.zor_report_page_size, CPoint(plan.page.cx, plan.page.cy));
    store.PutAttr(root, s.zor_report_page_orient, plan.orient);
    if (plan.fit >= 0) store.PutAttr(root, s.zor_report_fit_to_page, plan.fit);
    manager.SetRect(root, s.zor_report_print_area, plan.area);
    if (plan.withUser) {
        CzorInstance* user = store.CreateInstance(s.e_zor_user, false, true);
        store.PutAttr(user, s.zor_user_name, std::string("Иванов"));
        store.PutAttr(user, s.zor_user_access_mode, 3);
    }
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

GreyImage Turned(const GreyImage& in, bool clockwise) {
    GreyImage out;
    out.width = in.height;
    out.height = in.width;
    out.pixels.resize(in.pixels.size());
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.pixels[static_cast<size_t>(y) * out.width + x] =
                clockwise ? in.At(y, in.height - 1 - x) : in.At(in.width - 1 - y, x);
    return out;
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

GreyImage GreyOf(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    GreyImage out;
    out.width = grey.width();
    out.height = grey.height();
    out.pixels.reserve(static_cast<size_t>(out.width) * out.height);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        out.pixels.insert(out.pixels.end(), row, row + grey.width());
    }
    return out;
}

namespace {

constexpr int kInk = 128;

struct InkCells {
    int columns = 0;
    int rows = 0;
    std::vector<char> inked;
    QRect box;  // of the inked pixels
    int count = 0;
    bool At(int c, int r) const {
        return c >= 0 && r >= 0 && c < columns && r < rows && inked[static_cast<size_t>(r) * columns + c];
    }
};

InkCells CellsOf(const GreyImage& image, int cell, int edge) {
    InkCells cells;
    cells.columns = (image.width + cell - 1) / cell;
    cells.rows = (image.height + cell - 1) / cell;
    cells.inked.assign(static_cast<size_t>(cells.columns) * cells.rows, 0);
    for (int y = edge; y < image.height - edge; ++y)
        for (int x = edge; x < image.width - edge; ++x) {
            if (image.At(x, y) >= kInk) continue;
            cells.box |= QRect(x, y, 1, 1);
            char& c = cells.inked[static_cast<size_t>(y / cell) * cells.columns + x / cell];
            if (!c) ++cells.count;
            c = 1;
        }
    return cells;
}

// The inked cells of a with no inked cell of b at or beside them.
int Misses(const InkCells& a, const InkCells& b) {
    int misses = 0;
    for (int r = 0; r < a.rows; ++r)
        for (int c = 0; c < a.columns; ++c) {
            if (!a.At(c, r)) continue;
            bool near = false;
            for (int dr = -1; dr <= 1 && !near; ++dr)
                for (int dc = -1; dc <= 1 && !near; ++dc) near = b.At(c + dc, r + dr);
            if (!near) ++misses;
        }
    return misses;
}

std::string BoxText(const QRect& r) {
    return "(" + std::to_string(r.left()) + ", " + std::to_string(r.top()) + ")-(" + std::to_string(r.right()) +
           ", " + std::to_string(r.bottom()) + ")";
}

}  // namespace

std::string CompareWithPageImage(const GreyImage& printed, const GreyImage& image, double pixelsPerMm,
                                 double toleranceMm, double edgeMm, double missShare) {
    const int tolerance = static_cast<int>(toleranceMm * pixelsPerMm + 0.5);
    const auto size = [](const GreyImage& g) { return std::to_string(g.width) + " x " + std::to_string(g.height); };
    if ((printed.width > printed.height) != (image.width > image.height))
        return "the printed page is " + size(printed) + ", the page image " + size(image) + ": turned";
    if (std::abs(printed.width - image.width) > tolerance || std::abs(printed.height - image.height) > tolerance)
        return "the printed page is " + size(printed) + ", the page image " + size(image);
    const int edge = static_cast<int>(edgeMm * pixelsPerMm + 0.5);
    const InkCells p = CellsOf(printed, std::max(1, tolerance), edge);
    const InkCells i = CellsOf(image, std::max(1, tolerance), edge);
    if (i.count == 0) return "the page image shows nothing";
    if (p.count == 0) return "the printed page is empty";
    const QRect a = p.box, b = i.box;
    if (std::abs(a.left() - b.left()) > tolerance || std::abs(a.top() - b.top()) > tolerance ||
        std::abs(a.right() - b.right()) > tolerance || std::abs(a.bottom() - b.bottom()) > tolerance)
        return "ink printed within " + BoxText(a) + ", in the page image within " + BoxText(b) + " (pixels)";
    const int printedMisses = Misses(p, i);
    const int imageMisses = Misses(i, p);
    if (printedMisses > missShare * p.count || imageMisses > missShare * i.count)
        return std::to_string(printedMisses) + " of " + std::to_string(p.count) +
               " printed cells have no ink beside them in the page image, " + std::to_string(imageMisses) + " of " +
               std::to_string(i.count) + " cells of the page image none on the printed page";
    return {};
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

namespace print_test {

namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";

// A PDF printer: the scheduler's PDF filter (pdftopdf) prepares the job for an A4 device that takes PDF,
// and the queue's file device keeps what it gets.
constexpr const char* kPdfPrinterPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "QMPDF.PPD"
*Manufacturer: "Quillmark"
*Product: "(Quillmark test PDF)"
*ModelName: "Quillmark test PDF"
*ShortNickName: "Quillmark test PDF"
*NickName: "Quillmark test PDF"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "0 0 595 842"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
)PPD";

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

PrivateCupsQueue::~PrivateCupsQueue() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    // Bounded: a scheduler that does not end in 5 s is killed.
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) return;
        ::usleep(50 * 1000);
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
}

std::string PrivateCupsQueue::Run(const std::string& command) const {
    return RunCommand("CUPS_SERVER='" + m_socket + "' " + command + " 2>&1").second;
}

bool PrivateCupsQueue::Start(const std::string& folder, std::string& why) {
    if (::access(kCupsd, X_OK) != 0) {
        why = "no CUPS scheduler (Debian cups) on this machine";
        return false;
    }
    m_folder = folder;
    m_socket = folder + "/cups.sock";
    m_output = folder + "/printed.pdf";
    for (const char* sub : {"spool", "cache", "state", "log", "tmp", "ppd"})
        std::filesystem::create_directories(folder + "/" + sub);
    const bool written =
        WriteText(folder + "/cupsd.conf", "Listen " + m_socket +
                                              "\nLogLevel warn\nWebInterface No\nBrowsing No\n"
                                              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                              "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                                              "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                                              "</Policy>\n") &&
        WriteText(folder + "/cups-files.conf",
                  "ServerRoot " + folder + "\nRequestRoot " + folder + "/spool\nCacheDir " + folder +
                      "/cache\nStateDir " + folder + "/state\nTempDir " + folder + "/tmp\nAccessLog " + folder +
                      "/log/access_log\nErrorLog " + folder + "/log/error_log\nPageLog " + folder +
                      "/log/page_log\nFileDevice Yes\n") &&
        WriteText(folder + "/pdf.ppd", kPdfPrinterPpd);
    if (!written) {
        why = "cannot write the scheduler's configuration";
        return false;
    }
    m_pid = ::fork();
    if (m_pid < 0) {
        why = "fork failed";
        return false;
    }
    if (m_pid == 0) {
        const std::string conf = folder + "/cupsd.conf";
        const std::string files = folder + "/cups-files.conf";
        ::execl(kCupsd, kCupsd, "-f", "-c", conf.c_str(), "-s", files.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Bounded wait for the scheduler to answer.
    bool running = false;
    for (int i = 0; i < 200 && !running; ++i) {
        running = Run("lpstat -r").find("scheduler is running") != std::string::npos;
        if (!running) ::usleep(50 * 1000);
    }
    if (!running) {
        why = "the scheduler did not start: " + ReadText(folder + "/log/error_log");
        return false;
    }
    const std::string added = Run(std::string("lpadmin -p ") + kQueue + " -E -v 'file://" + m_output + "' -P '" +
                                  folder + "/pdf.ppd'");
    const std::string made = Run(std::string("lpadmin -d ") + kQueue);
    if (Run("lpstat -d").find(kQueue) == std::string::npos) {
        why = "the queue was not made: " + added + made;
        return false;
    }
    return true;
}

bool PrivateCupsQueue::WaitForOutput(int timeoutMs) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (Run(std::string("lpstat -o ") + kQueue).empty()) {
            const std::string pdf = ReadText(m_output);
            if (pdf.starts_with("%PDF") && pdf.find("%%EOF", pdf.size() > 64 ? pdf.size() - 64 : 0) != std::string::npos)
                return true;
        }
        ::usleep(100 * 1000);
    }
    return false;
}

}  // namespace print_test
