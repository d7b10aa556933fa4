#pragma once
// The inside of CDC, shared by its source files (not for other code).
#include <memory>
#include <optional>
#include <vector>

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRegion>

#include "platform/gdi/dc.h"

struct CDC::Impl {
    // What SaveDC keeps.
    struct State {
        int mapMode = MM_LOMETRIC;
        CPoint windowOrg;
        CPoint viewportOrg;
        LOGPEN pen;
        CPen* penObject = nullptr;
        LOGBRUSH brush;
        CBrush* brushObject = nullptr;
        LOGFONT font;
        CFont* fontObject = nullptr;
        COLORREF textColor = RGB(0, 0, 0);
        COLORREF bkColor = RGB(255, 255, 255);
        int bkMode = OPAQUE;
        int rop2 = R2_COPYPEN;
        std::optional<CRect> clip;  // device units, normalised
        CPoint position;            // logical
    };

    QPainter* painter = nullptr;  // null: nothing is painted
    CEmfRecorder* recorder = nullptr;  // records instead of painting
    std::unique_ptr<QPainter> ownPainter;
    bool externalPainter = false;
    std::optional<QRegion> baseClip;  // the owner's painter clip, which ours narrows
    double dpiX = 96.0;
    double dpiY = 96.0;
    int width = 0;  // device pixels
    int height = 0;
    int depth = 32;
    bool screen = false;  // paints a window
    int physicalWidth = -1;
    int physicalHeight = -1;
    int physicalOffsetX = 0;
    int physicalOffsetY = 0;
    State state;
    std::vector<State> saved;

    void TakeDevice(QPaintDevice* device);

    // Device pixels per logical unit (positive) and the direction of y.
    double ScaleX() const { return state.mapMode == MM_LOMETRIC ? dpiX / 254.0 : 1.0; }
    double ScaleY() const { return state.mapMode == MM_LOMETRIC ? dpiY / 254.0 : 1.0; }
    double SignY() const { return state.mapMode == MM_LOMETRIC ? -1.0 : 1.0; }
    // Device pixels per tenth of a millimetre, whatever the mode: the size of physical things (fonts).
    double PhysicalX() const { return dpiX / 254.0; }
    double PhysicalY() const { return dpiY / 254.0; }

    QPointF ToDevice(double x, double y) const {
        return QPointF((x - state.windowOrg.x) * ScaleX() + state.viewportOrg.x,
                       SignY() * (y - state.windowOrg.y) * ScaleY() + state.viewportOrg.y);
    }
    CPoint ToDevicePoint(int x, int y) const;
    CPoint ToLogicalPoint(int x, int y) const;
    // Both corners mapped, normalised.
    CRect ToDeviceRect(int left, int top, int right, int bottom) const;

    bool Drawing() const { return painter != nullptr; }
    bool Recording() const { return recorder != nullptr; }
    // Sets the painter's clip from the state.
    void ApplyClip();
    // Prepares the painter for a primitive in the current mix mode.
    void ApplyRop();
    QPen DevicePen() const;
    static QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
};
