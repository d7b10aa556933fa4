#pragma once
// The measurer of the program and of batch runs: real font metrics from Qt, taken from an unhinted face at a
// fixed size of its own (1000 pixels to the em) and scaled linearly, so that a measure never depends on the
// screen, the printer or the zoom. "Arial", "Times New Roman" and "Courier New" resolve through fontconfig
// to their metric-compatible Liberation faces.
//
// A width is the sum of the characters' own advances (no kerning; a control character has none), which
// keeps prefix widths additive and lets the advances be cached per face. Thread-safe.
// Needs a QGuiApplication; without one it answers with the fixed metrics of CFixedTextMeasurer and says so
// once on stderr, rather than failing.
#include <memory>

#include <QFont>

#include "platform/gdi/text_measurer.h"

class CQtTextMeasurer : public CTextMeasurer {
public:
    CQtTextMeasurer();
    ~CQtTextMeasurer() override;

    double TextWidth(const LOGFONT& font, std::string_view text) const override;
    void PrefixWidths(const LOGFONT& font, std::string_view text, std::vector<double>& out) const override;
    CFontMetricsF FontMetrics(const LOGFONT& font) const override;

    // The process's instance (the measurer in force when nothing overrides it).
    static CQtTextMeasurer& Instance();

    struct Impl;  // the face cache (internal)

private:
    std::unique_ptr<Impl> m_impl;
};

// The Qt font of a LOGFONT, as measured and drawn: face (empty means "Arial"), weight, italics, underline and
// strike-out; hinting and kerning off. Its size is left to the caller.
QFont MakeQtFont(const LOGFONT& font);
