#include "controls/menu/text16.h"

#include <QString>

namespace zor {

std::u16string ToUtf16(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdU16String();
}

std::string ToUtf8(std::u16string_view utf16) {
    return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size())).toStdString();
}

std::u16string LowerUtf16(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toLower().toStdU16String();
}

}  // namespace zor
