#include "platform/gdi/qt_text_measurer.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>
#include <unordered_map>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QString>

#include "platform/gdi/fixed_text_measurer.h"
#include "platform/text/utf8.h"

namespace {

// Faces are measured at this many pixels to the em; every measure is then scaled to the font's size.
constexpr int kReferenceEm = 1000;

bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F; }

// Stand-in while no QGuiApplication exists (Qt's font database needs one).
const CFixedTextMeasurer& FallbackMeasurer() {
    static const CFixedTextMeasurer fallback;
    static std::once_flag warned;
    std::call_once(warned, [] {
        std::fputs("quillmark: text measured without a QGuiApplication; using fixed metrics\n", stderr);
    });
    return fallback;
}

bool HaveGuiApplication() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

std::string_view FaceOf(const LOGFONT& font) {
    const std::string_view face = font.FaceName();
    return face.empty() ? std::string_view("Arial") : face;
}

int QtWeight(const LOGFONT& font) {
    if (font.lfWeight == FW_DONTCARE) return QFont::Normal;
    return std::clamp<int>(font.lfWeight, 1, 1000);
}

}  // namespace

QFont MakeQtFont(const LOGFONT& font) {
    const std::string_view face = FaceOf(font);
    QFont f(QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size())));
    f.setWeight(static_cast<QFont::Weight>(QtWeight(font)));
    f.setItalic(font.lfItalic != 0);
    f.setUnderline(font.lfUnderline != 0);
    f.setStrikeOut(font.lfStrikeOut != 0);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

struct CQtTextMeasurer::Impl {
    struct Face {
        explicit Face(const QFont& font) : metrics(font) {}
        QFontMetricsF metrics;
        CFontMetricsF perEm;                          // metrics of a font one unit high
        std::unordered_map<char32_t, double> advance;  // per em
    };

    Impl();
    ~Impl();

    // Under the mutex.
    Face& FaceFor(const LOGFONT& font) {
        std::string key(FaceOf(font));
        key += '\x1f';
        key += std::to_string(QtWeight(font));
        key += font.lfItalic ? "i" : "r";
        auto it = faces.find(key);
        if (it != faces.end()) return *it->second;
        QFont f = MakeQtFont(font);
        f.setUnderline(false);
        f.setStrikeOut(false);
        f.setPixelSize(kReferenceEm);
        auto face = std::make_unique<Face>(f);
        const QFontMetricsF& fm = face->metrics;
        const double k = 1.0 / kReferenceEm;
        face->perEm.ascent = fm.ascent() * k;
        face->perEm.descent = fm.descent() * k;
        face->perEm.internalLeading = std::max(0.0, (fm.ascent() + fm.descent() - kReferenceEm) * k);
        face->perEm.externalLeading = std::max(0.0, fm.leading() * k);
        face->perEm.aveCharWidth = fm.averageCharWidth() * k;
        face->perEm.maxCharWidth = fm.maxWidth() * k;
        return *faces.emplace(std::move(key), std::move(face)).first->second;
    }

    static double Advance(Face& face, char32_t c) {
        if (c == zor::kNotAChar) c = 0xFFFD;
        if (IsControl(c)) return 0.0;
        auto it = face.advance.find(c);
        if (it != face.advance.end()) return it->second;
        const double a = face.metrics.horizontalAdvance(QString::fromUcs4(&c, 1)) / kReferenceEm;
        face.advance.emplace(c, a);
        return a;
    }

    // Calls f(sum of the advances so far, in ems) after each character.
    template <class F>
    void Walk(const LOGFONT& font, std::string_view text, F f);

    CFontMetricsF PerEm(const LOGFONT& font);

    std::mutex mutex;
    std::unordered_map<std::string, std::unique_ptr<Face>> faces;
};

namespace {

// Cached faces hold Qt font engines, which must not outlive the application that made them: they are
// dropped when the QGuiApplication ends (and made again should another one start).
struct LiveMeasurers {
    std::mutex mutex;
    std::vector<CQtTextMeasurer::Impl*> live;
    bool registered = false;

    static LiveMeasurers& Get() {
        static LiveMeasurers set;
        return set;
    }
    // Called before a face lock is taken: DropAllFaces takes the locks in this order.
    void CleanUpWithApplication() {
        std::lock_guard<std::mutex> lock(mutex);
        if (registered) return;
        registered = true;
        qAddPostRoutine(&DropAllFaces);
    }
    static void DropAllFaces() {
        LiveMeasurers& set = Get();
        std::lock_guard<std::mutex> lock(set.mutex);
        for (CQtTextMeasurer::Impl* impl : set.live) {
            std::lock_guard<std::mutex> faceLock(impl->mutex);
            impl->faces.clear();
        }
        set.registered = false;
    }
};

}  // namespace

CQtTextMeasurer::Impl::Impl() {
    LiveMeasurers& set = LiveMeasurers::Get();
    std::lock_guard<std::mutex> lock(set.mutex);
    set.live.push_back(this);
}

CQtTextMeasurer::Impl::~Impl() {
    LiveMeasurers& set = LiveMeasurers::Get();
    std::lock_guard<std::mutex> lock(set.mutex);
    set.live.erase(std::remove(set.live.begin(), set.live.end(), this), set.live.end());
}

template <class F>
void CQtTextMeasurer::Impl::Walk(const LOGFONT& font, std::string_view text, F f) {
    LiveMeasurers::Get().CleanUpWithApplication();
    std::lock_guard<std::mutex> lock(mutex);
    Face& face = FaceFor(font);
    double sum = 0.0;
    for (size_t pos = 0; pos < text.size();) {
        size_t size = 1;
        const char32_t c = zor::Utf8DecodeAt(text, pos, &size);
        sum += Advance(face, c);
        f(sum);
        pos += std::max<size_t>(size, 1);
    }
}

CFontMetricsF CQtTextMeasurer::Impl::PerEm(const LOGFONT& font) {
    LiveMeasurers::Get().CleanUpWithApplication();
    std::lock_guard<std::mutex> lock(mutex);
    return FaceFor(font).perEm;
}

CQtTextMeasurer::CQtTextMeasurer() : m_impl(std::make_unique<Impl>()) {}
CQtTextMeasurer::~CQtTextMeasurer() = default;

CQtTextMeasurer& CQtTextMeasurer::Instance() {
    static CQtTextMeasurer instance;
    return instance;
}

double CQtTextMeasurer::TextWidth(const LOGFONT& font, std::string_view text) const {
    if (!HaveGuiApplication()) return FallbackMeasurer().TextWidth(font, text);
    const double em = PointFontEmHeight(font);
    double total = 0.0;
    m_impl->Walk(font, text, [&](double sum) { total = sum; });
    return total * em;
}

void CQtTextMeasurer::PrefixWidths(const LOGFONT& font, std::string_view text, std::vector<double>& out) const {
    if (!HaveGuiApplication()) return FallbackMeasurer().PrefixWidths(font, text, out);
    const double em = PointFontEmHeight(font);
    out.clear();
    m_impl->Walk(font, text, [&](double sum) { out.push_back(sum * em); });
}

CFontMetricsF CQtTextMeasurer::FontMetrics(const LOGFONT& font) const {
    if (!HaveGuiApplication()) return FallbackMeasurer().FontMetrics(font);
    CFontMetricsF m = m_impl->PerEm(font);
    const double em = PointFontEmHeight(font);
    m.ascent *= em;
    m.descent *= em;
    m.internalLeading *= em;
    m.externalLeading *= em;
    m.aveCharWidth *= em;
    m.maxCharWidth *= em;
    return m;
}
