#pragma once
// Opening a link target (a web address, "mailto:", a file or folder) with the desktop's handler for
// it. One replaceable opener serves every control, so tests record what would have been opened.
#include <functional>
#include <string>

namespace zor {

// True when the desktop took the target.
using UrlOpener = std::function<bool(const std::string& target)>;

// Opens through the current opener (the desktop's, unless replaced).
bool OpenThroughDesktop(const std::string& target);
// Installs an opener (an empty one restores the desktop's); returns the previous one.
UrlOpener SetUrlOpener(UrlOpener opener);

}  // namespace zor
