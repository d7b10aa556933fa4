#pragma once
// The "DefaultSettings" values that the model reads at every use (the settings dialog writes them).
#include <string_view>

namespace zor {

inline constexpr std::string_view kDefaultSettings = "DefaultSettings";
inline constexpr std::string_view kLineWidthKey = "LineWidth";
inline constexpr std::string_view kCreateFixedKey = "CreateFixed";
inline constexpr std::string_view kStickSizeKey = "StickSize";
inline constexpr std::string_view kPictureDrawModeKey = "PictureDrawMode";
inline constexpr std::string_view kUseOneScaleInReportKey = "UseOneScaleInReport";
inline constexpr std::string_view kUseOneScaleInDotKey = "UseOneScaleInDot";

// Line width of every new element and of a new cell column's frame, in tenths of a millimetre (default 1).
int DefaultLineWidth();
// Not 0: every new element is fixed (default 0).
int DefaultCreateFixed();
// Snapping distance in millimetres (default 5); page units are ten times that.
int DefaultStickSize();
// Draw mode of a new picture: bit 1 fit into the rectangle, bit 2 keep proportions (default 0).
int DefaultPictureDrawMode();
// Not 0: every page of a report (of a template) is shown at one common zoom (defaults 1 and 0).
int DefaultUseOneScaleInReport();
int DefaultUseOneScaleInDot();

}  // namespace zor
