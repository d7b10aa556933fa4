#pragma once
// Text is measured apart from any device, so that line and page breaks come out the same on the screen,
// on paper and in a batch run without a display. The model and generation measure through the current
// measurer (usually by way of CDC::GetTextExtent); tests put a fixed-metric one in its place.
//
// Units: a font is a LOGFONT whose lfHeight is its size in tenths of a point (the text value's font record;
// the sign is ignored, 0 is a font of no size); every length that comes back is in tenths of a millimetre.
// lfWeight, lfItalic and lfFaceName choose the face; lfWidth, lfEscapement, lfCharSet and lfQuality do not
// change a measure (an extent is always taken along the baseline, whatever the escapement).
//
// Characters are UTF-8 characters, counted as platform/text/utf8.h counts them: a byte that starts no
// well-formed sequence is one character of its own.
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/win/gdi_types.h"
#include "platform/win/geometry.h"

// Font metrics in logical units, as GetTextMetrics reports them. tmHeight = tmAscent + tmDescent.
struct TEXTMETRIC {
    int32_t tmHeight = 0;
    int32_t tmAscent = 0;
    int32_t tmDescent = 0;
    int32_t tmInternalLeading = 0;
    int32_t tmExternalLeading = 0;
    int32_t tmAveCharWidth = 0;
    int32_t tmMaxCharWidth = 0;
    int32_t tmWeight = 0;
    uint8_t tmItalic = 0;
    uint8_t tmUnderlined = 0;
    uint8_t tmStruckOut = 0;
    uint8_t tmCharSet = 0;
};
using LPTEXTMETRIC = TEXTMETRIC*;

// Unrounded font metrics in tenths of a millimetre.
struct CFontMetricsF {
    double ascent = 0;           // baseline to the top of the character cell
    double descent = 0;          // baseline to the bottom of the cell
    double internalLeading = 0;  // cell height less the em height
    double externalLeading = 0;  // extra space the font asks for between lines
    double aveCharWidth = 0;
    double maxCharWidth = 0;
    double Height() const { return ascent + descent; }
};

// Em height of a point font in tenths of a millimetre: |lfHeight| tenths of a point, 72 points an inch.
double PointFontEmHeight(const LOGFONT& font);

// Rounding of measures to whole logical units: to the nearest, halves away from zero.
int32_t RoundToUnit(double value);

// The metrics rounded in units of which there are perTenthX across and perTenthY up a tenth of a millimetre
// (1 and 1 for tenths of a millimetre); tmHeight is the rounded ascent plus the rounded descent.
TEXTMETRIC RoundTextMetrics(const LOGFONT& font, const CFontMetricsF& metrics, double perTenthX = 1.0,
                            double perTenthY = 1.0);

class CTextMeasurer {
public:
    virtual ~CTextMeasurer() = default;

    // Width of the text along its baseline.
    virtual double TextWidth(const LOGFONT& font, std::string_view text) const = 0;
    // out[i] := width of the first i + 1 characters (out gets one entry per character). Every entry equals
    // TextWidth of that prefix exactly, so fitting by prefixes gives what measuring each prefix gives.
    virtual void PrefixWidths(const LOGFONT& font, std::string_view text, std::vector<double>& out) const = 0;
    virtual CFontMetricsF FontMetrics(const LOGFONT& font) const = 0;

    // The same rounded to whole tenths of a millimetre, as a device context in MM_LOMETRIC reports them:
    // cx the width, cy the cell height (rounded ascent plus rounded descent).
    CSize GetTextExtent(const LOGFONT& font, std::string_view text) const;
    TEXTMETRIC GetTextMetrics(const LOGFONT& font) const;
};

// The measurer in force: the last scoped override still alive, else the Qt measurer.
CTextMeasurer& CurrentTextMeasurer();

// Puts a measurer in force for its lifetime (tests, batch tools); the previous one comes back at the end.
// Overrides nest; destroy them in reverse order of creation.
class CScopedTextMeasurer {
public:
    explicit CScopedTextMeasurer(CTextMeasurer& measurer);
    ~CScopedTextMeasurer();
    CScopedTextMeasurer(const CScopedTextMeasurer&) = delete;
    CScopedTextMeasurer& operator=(const CScopedTextMeasurer&) = delete;

private:
    CTextMeasurer* m_previous;
};
