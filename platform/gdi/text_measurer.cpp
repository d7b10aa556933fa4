#include "platform/gdi/text_measurer.h"

#include <atomic>
#include <cmath>
#include <cstdlib>

#include "platform/gdi/qt_text_measurer.h"

double PointFontEmHeight(const LOGFONT& font) {
    return std::abs(static_cast<double>(font.lfHeight)) * 254.0 / 720.0;
}

int32_t RoundToUnit(double value) {
    return static_cast<int32_t>(std::lround(value));
}

TEXTMETRIC RoundTextMetrics(const LOGFONT& font, const CFontMetricsF& m, double perTenthX, double perTenthY) {
    TEXTMETRIC tm;
    tm.tmAscent = RoundToUnit(m.ascent * perTenthY);
    tm.tmDescent = RoundToUnit(m.descent * perTenthY);
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = RoundToUnit(m.internalLeading * perTenthY);
    tm.tmExternalLeading = RoundToUnit(m.externalLeading * perTenthY);
    tm.tmAveCharWidth = RoundToUnit(m.aveCharWidth * perTenthX);
    tm.tmMaxCharWidth = RoundToUnit(m.maxCharWidth * perTenthX);
    tm.tmWeight = font.lfWeight == FW_DONTCARE ? FW_NORMAL : font.lfWeight;
    tm.tmItalic = font.lfItalic;
    tm.tmUnderlined = font.lfUnderline;
    tm.tmStruckOut = font.lfStrikeOut;
    tm.tmCharSet = font.lfCharSet;
    return tm;
}

CSize CTextMeasurer::GetTextExtent(const LOGFONT& font, std::string_view text) const {
    return CSize(RoundToUnit(TextWidth(font, text)), GetTextMetrics(font).tmHeight);
}

TEXTMETRIC CTextMeasurer::GetTextMetrics(const LOGFONT& font) const {
    return RoundTextMetrics(font, FontMetrics(font));
}

namespace {
std::atomic<CTextMeasurer*> g_override{nullptr};
}

CTextMeasurer& CurrentTextMeasurer() {
    if (CTextMeasurer* m = g_override.load(std::memory_order_acquire)) return *m;
    return CQtTextMeasurer::Instance();
}

CScopedTextMeasurer::CScopedTextMeasurer(CTextMeasurer& measurer)
    : m_previous(g_override.exchange(&measurer, std::memory_order_acq_rel)) {}

CScopedTextMeasurer::~CScopedTextMeasurer() {
    g_override.store(m_previous, std::memory_order_release);
}
