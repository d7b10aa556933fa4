#pragma once
// A measurer with made-up metrics for tests: every character, whatever it is, has the same advance, and
// every measure is a fixed fraction of the font's em height (PointFontEmHeight: |lfHeight| × 254 / 720
// tenths of a millimetre). Face, weight and italics are ignored. Line breaks computed with it can be
// worked out by hand: with the defaults a 36-point font (lfHeight 360, em 127) gives 63.5 per character.
#include "platform/gdi/text_measurer.h"

struct CFixedMetrics {
    double charWidth = 0.5;        // advance of every character
    double ascent = 0.8;
    double descent = 0.2;
    double externalLeading = 0.0;  // internal leading is ascent + descent - 1 (never below 0)
};

class CFixedTextMeasurer : public CTextMeasurer {
public:
    explicit CFixedTextMeasurer(const CFixedMetrics& metrics = {});

    double TextWidth(const LOGFONT& font, std::string_view text) const override;
    void PrefixWidths(const LOGFONT& font, std::string_view text, std::vector<double>& out) const override;
    CFontMetricsF FontMetrics(const LOGFONT& font) const override;

    const CFixedMetrics& Metrics() const { return m_metrics; }

private:
    CFixedMetrics m_metrics;
};
