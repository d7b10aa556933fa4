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

CSize CTextMeasurer::GetTextExtent(const LOGFONT& font, std::string_view text) const {
    const CFontMetricsF m = FontMetrics(font);
    return CSize(RoundToUnit(TextWidth(font, text)), RoundToUnit(m.ascent) + RoundToUnit(m.descent));
}

TEXTMETRIC CTextMeasurer::GetTextMetrics(const LOGFONT& font) const {
    const CFontMetricsF m = FontMetrics(font);
    TEXTMETRIC tm;
    tm.tmAscent = RoundToUnit(m.ascent);
    tm.tmDescent = RoundToUnit(m.descent);
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = RoundToUnit(m.internalLeading);
    tm.tmExternalLeading = RoundToUnit(m.externalLeading);
    tm.tmAveCharWidth = RoundToUnit(m.aveCharWidth);
    tm.tmMaxCharWidth = RoundToUnit(m.maxCharWidth);
    tm.tmWeight = font.lfWeight == FW_DONTCARE ? FW_NORMAL : font.lfWeight;
    tm.tmItalic = font.lfItalic;
    tm.tmUnderlined = font.lfUnderline;
    tm.tmStruckOut = font.lfStrikeOut;
    tm.tmCharSet = font.lfCharSet;
    return tm;
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
