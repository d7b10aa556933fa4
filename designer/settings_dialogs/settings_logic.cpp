#include "designer/settings_dialogs/settings_logic.h"

#include <cmath>
#include <utility>

#include <fmt/format.h>

#include "platform/settings/default_settings.h"
#include "platform/settings/profile.h"
#include "platform/ui/messages.h"
#include "report/dialogs/number_field.h"

namespace quillmark {
namespace {

// A typed decimal times 10 is taken whole, truncated; the nudge keeps 2.3 from becoming 22 through the
// binary form of 2.3, and is far too small to lift 1.5 (0.15 mm) to 2.
int TenthsTruncated(double value) { return static_cast<int>(std::trunc(value * 10.0 + 1e-7)); }

// A length in tenths of a millimetre shown in millimetres: "297", "0.1", "12.5".
std::string Millimetres(int tenths) { return fmt::format("{}", tenths / 10.0); }

bool ReadWholeInRange(const std::string& text, int min, int max, int& out) {
    double value = 0;
    if (!ReadNumberInRange(text, min, max, value)) return false;
    if (value != std::trunc(value)) {
        AfxMessageBox("Введите целое число.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

constexpr double kMaxLineWidthMillimetres = 100.0;
constexpr int kMaxStickSize = 1000;

}  // namespace

// --- Work settings ----------------------------------------------------------------------------------------------

int CWorkSettingsLogic::LineWidthFromMillimetres(double millimetres) { return TenthsTruncated(millimetres); }

void CWorkSettingsLogic::Load() {
    m_fields.stickSize = std::to_string(zor::DefaultStickSize());
    m_fields.createFixed = zor::DefaultCreateFixed() != 0;
    m_fields.lineWidth = Millimetres(zor::DefaultLineWidth());
    m_fields.oneScaleInReport = zor::DefaultUseOneScaleInReport() != 0;
    m_fields.oneScaleInDot = zor::DefaultUseOneScaleInDot() != 0;
    const int pictureMode = zor::DefaultPictureDrawMode();
    m_fields.fitPictures = (pictureMode & 1) != 0;
    m_fields.keepProportions = (pictureMode & 2) != 0;
}

bool CWorkSettingsLogic::Apply() const {
    double lineWidth = 0;
    int stickSize = 0;
    if (!ReadNumberInRange(m_fields.lineWidth, 0, kMaxLineWidthMillimetres, lineWidth)) return false;
    if (!ReadWholeInRange(m_fields.stickSize, 0, kMaxStickSize, stickSize)) return false;
    using namespace zor;
    WriteProfileInt(kDefaultSettings, kCreateFixedKey, m_fields.createFixed ? 1 : 0);
    WriteProfileInt(kDefaultSettings, kLineWidthKey, LineWidthFromMillimetres(lineWidth));
    WriteProfileInt(kDefaultSettings, kStickSizeKey, stickSize);
    WriteProfileInt(kDefaultSettings, kUseOneScaleInReportKey, m_fields.oneScaleInReport ? 1 : 0);
    WriteProfileInt(kDefaultSettings, kUseOneScaleInDotKey, m_fields.oneScaleInDot ? 1 : 0);
    WriteProfileInt(kDefaultSettings, kPictureDrawModeKey,
                    (m_fields.keepProportions ? 2 : 0) + (m_fields.fitPictures ? 1 : 0));
    return true;
}

// --- Page set-up -------------------------------------------------------------------------------------------------

const std::array<CPageSetupLogic::StandardSize, 5>& CPageSetupLogic::StandardSizes() {
    static const std::array<StandardSize, 5> sizes{{
        {"A1", 8410, 5940},
        {"A2", 5940, 4210},
        {"A3", 4210, 2970},
        {"A4", 2970, 2100},
        {"A5", 2100, 1480},
    }};
    return sizes;
}

CPageSetupLogic::CPageSetupLogic(const CPageSetupData& data) {
    int first = data.first;
    int second = data.second;
    // The dialog always works on the pair in the table's order.
    if (data.orientation == 0) std::swap(first, second);
    m_sizeIndex = kUserDefined;
    for (size_t i = 0; i < StandardSizes().size(); ++i)
        if (StandardSizes()[i].first == first && StandardSizes()[i].second == second) m_sizeIndex = static_cast<int>(i);
    fitToPage = data.fitToPage;
    splitToA4 = data.splitToA4;
    width = Millimetres(first);
    height = Millimetres(second);
    const CRect& a = data.printArea;
    const int left = a.left / 10;
    const int top = a.top / 10;
    marginLeft = std::to_string(left);
    marginTop = std::to_string(top);
    marginRight = std::to_string((a.left + first - a.right) / 10 - left);
    marginBottom = std::to_string((a.top + second - a.bottom) / 10 - top);
    m_landscape = data.orientation == 1;
}

void CPageSetupLogic::ChooseSize(int index) {
    if (index < 0 || index > kUserDefined) return;
    m_sizeIndex = index;
    if (index == kUserDefined) return;
    width = Millimetres(StandardSizes()[static_cast<size_t>(index)].first);
    height = Millimetres(StandardSizes()[static_cast<size_t>(index)].second);
}

bool CPageSetupLogic::Apply(CPageSetupData& data) const {
    double w = 0;
    double h = 0;
    if (!ReadNumberInRange(width, 0.1, kMaxSideMillimetres, w)) return false;
    if (!ReadNumberInRange(height, 0.1, kMaxSideMillimetres, h)) return false;
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!ReadWholeInRange(marginLeft, 0, kMaxSideMillimetres, left)) return false;
    if (!ReadWholeInRange(marginTop, 0, kMaxSideMillimetres, top)) return false;
    if (!ReadWholeInRange(marginRight, 0, kMaxSideMillimetres, right)) return false;
    if (!ReadWholeInRange(marginBottom, 0, kMaxSideMillimetres, bottom)) return false;
    const int first = TenthsTruncated(w);
    const int second = TenthsTruncated(h);
    CRect area(left * 10, top * 10, first - right * 10, second - bottom * 10);
    if (area.right <= area.left || area.bottom <= area.top) {
        AfxMessageBox("Поля не оставляют места для печати.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    data.first = first;
    data.second = second;
    data.fitToPage = fitToPage;
    data.splitToA4 = splitToA4;
    data.orientation = m_landscape ? 1 : 0;
    if (!m_landscape) std::swap(data.first, data.second);
    data.printArea = area;
    return true;
}

// --- Export ------------------------------------------------------------------------------------------------------

const std::array<const char*, 5>& CExportDialogLogic::FileTypes() {
    static const std::array<const char*, 5> types{"jpg", "tif", "bmp", "png", "wmf"};
    return types;
}

void CExportDialogLogic::FillFromDocumentPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return;
    folder = path.substr(0, slash + 1);
    const std::string name = path.substr(slash + 1);
    prefix = name.substr(0, name.rfind('.'));
}

bool CExportDialogLogic::Accept() {
    if (typeIndex < 0 || typeIndex >= static_cast<int>(FileTypes().size())) {
        AfxMessageBox("Не выбран тип файлов.", MB_OK);
        return false;
    }
    m_type = FileTypes()[static_cast<size_t>(typeIndex)];
    return true;
}

}  // namespace quillmark
