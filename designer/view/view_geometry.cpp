#include "designer/view/view_geometry.h"

#include <algorithm>
#include <string_view>

#include <fmt/printf.h>

namespace quillmark {

double ClampZoom(double zoom) { return std::clamp(zoom, kMinZoom, kMaxZoom); }

double WheelZoom(double zoom, int wheelDelta) {
    const double divisor = zoom < 2 ? 6000.0 : zoom < 5 ? 4000.0 : 2000.0;
    double result = zoom + wheelDelta / divisor;
    if (result < -1)
        result = -1 / result;
    else if (result <= 0)
        result = kMinZoom;
    return ClampZoom(result);
}

double ZoomToolStep(double zoom, int dyPixels) {
    double result = zoom + dyPixels / 600.0;
    if (result < -1)
        result = -1 / result;
    else if (result <= 0)
        result = -result;
    return ClampZoom(result);
}

double FitZoom(CSize client, CSize page) {
    const double byHeight = static_cast<double>(client.cy) / (page.cy + 2 * kPageMargin) - 0.01;
    const double byWidth = static_cast<double>(client.cx) / (page.cx + 2 * kPageMargin) - 0.01;
    return ClampZoom(std::min(byHeight, byWidth));
}

std::optional<double> ZoomForRect(CSize client, const CRect& rect) {
    CRect r = rect;
    r.NormalizeRect();
    if (r.Width() <= 0 || r.Height() <= 0) return std::nullopt;
    const double byHeight = static_cast<double>(client.cy) / r.Height() - 0.01;
    const double byWidth = static_cast<double>(client.cx) / r.Width() - 0.01;
    return ClampZoom(std::min(byHeight, byWidth));
}

PagePlacement PlacePage(CSize client, CSize page, double zoom) {
    PagePlacement p;
    const int w = static_cast<int>(zoom * page.cx);
    const int h = static_cast<int>(zoom * page.cy);
    p.left = w + 2 * kPageMargin < client.cx ? (client.cx - w) / 2 : kPageMargin;
    p.distance = h + 2 * kPageMargin < client.cy ? (client.cy - h) / 2 : kPageMargin;
    p.extent = CSize(w + 2 * kPageMargin, h + 2 * kPageMargin);
    p.pageRect = CRect(p.left, -p.distance, p.left + w, -p.distance - h);
    return p;
}

std::string ElementPositionText(CPoint origin, CSize size) {
    return fmt::sprintf("X=%.1f Y=%.1f CX=%.1f CY=%.1f", origin.x / 10.0, -(origin.y + size.cy) / 10.0,
                        size.cx / 10.0, size.cy / 10.0);
}

std::string PointPositionText(int fromLeft, int belowTop, double zoom) {
    const double scale = zoom * 10;
    return fmt::sprintf("X = %.1f Y = %.1f", fromLeft / scale, belowTop / scale);
}

int SheetNumber(const std::string& name) {
    std::string_view rest(name);
    // The sheet names are "Лист%d": any of the word's letters in front of the number go.
    static constexpr std::string_view kLetters[] = {"Л", "и", "с", "т"};
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        for (std::string_view letter : kLetters)
            if (rest.starts_with(letter)) {
                rest.remove_prefix(letter.size());
                trimmed = true;
            }
    }
    int number = 0;
    for (char c : rest) {
        if (c < '0' || c > '9' || number > 100000000) break;
        number = number * 10 + (c - '0');
    }
    return number;
}

Qt::CursorShape CursorForCode(int code) {
    switch (code) {
    case 2: case 9: return Qt::SizeBDiagCursor;
    case 3: case 8: return Qt::SizeFDiagCursor;
    case 4: case 5: return Qt::SizeVerCursor;
    case 6: case 7: return Qt::SizeHorCursor;
    case 10: return Qt::SizeAllCursor;
    case -1: return Qt::CrossCursor;
    default: return Qt::ArrowCursor;
    }
}

}  // namespace quillmark
