#include "platform/gdi/fixed_text_measurer.h"

#include <algorithm>

#include "platform/text/utf8.h"

CFixedTextMeasurer::CFixedTextMeasurer(const CFixedMetrics& metrics) : m_metrics(metrics) {}

double CFixedTextMeasurer::TextWidth(const LOGFONT& font, std::string_view text) const {
    const double advance = m_metrics.charWidth * PointFontEmHeight(font);
    return zor::Utf8Length(text) * advance;
}

void CFixedTextMeasurer::PrefixWidths(const LOGFONT& font, std::string_view text, std::vector<double>& out) const {
    const double advance = m_metrics.charWidth * PointFontEmHeight(font);
    const int n = zor::Utf8Length(text);
    out.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out[static_cast<size_t>(i)] = (i + 1) * advance;
}

CFontMetricsF CFixedTextMeasurer::FontMetrics(const LOGFONT& font) const {
    const double em = PointFontEmHeight(font);
    CFontMetricsF m;
    m.ascent = m_metrics.ascent * em;
    m.descent = m_metrics.descent * em;
    m.internalLeading = std::max(0.0, m_metrics.ascent + m_metrics.descent - 1.0) * em;
    m.externalLeading = m_metrics.externalLeading * em;
    m.aveCharWidth = m.maxCharWidth = m_metrics.charWidth * em;
    return m;
}
