#include "platform/settings/default_settings.h"

#include "platform/settings/profile.h"

namespace zor {

int DefaultLineWidth() { return GetProfileInt(kDefaultSettings, kLineWidthKey, 1); }
int DefaultCreateFixed() { return GetProfileInt(kDefaultSettings, kCreateFixedKey, 0); }
int DefaultStickSize() { return GetProfileInt(kDefaultSettings, kStickSizeKey, 5); }
int DefaultPictureDrawMode() { return GetProfileInt(kDefaultSettings, kPictureDrawModeKey, 0); }
int DefaultUseOneScaleInReport() { return GetProfileInt(kDefaultSettings, kUseOneScaleInReportKey, 1); }
int DefaultUseOneScaleInDot() { return GetProfileInt(kDefaultSettings, kUseOneScaleInDotKey, 0); }

}  // namespace zor
