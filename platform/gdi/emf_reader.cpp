#include "platform/gdi/emf_reader.h"

#include <algorithm>
#include <cstring>

#include <QString>

namespace {

uint32_t U32(std::string_view b, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
}

int32_t I32(std::string_view b, size_t at) { return static_cast<int32_t>(U32(b, at)); }

CRect RectAt(std::string_view b, size_t at) { return CRect(I32(b, at), I32(b, at + 4), I32(b, at + 8), I32(b, at + 12)); }

// UTF-16 text of count units at offset inside [begin, end), or false when it does not fit.
bool Utf16At(std::string_view b, size_t begin, size_t end, size_t offset, size_t count, std::string& out) {
    if (offset > end - begin || count > (end - begin - offset) / 2) return false;
    std::u16string units(count, u'\0');
    std::memcpy(units.data(), b.data() + begin + offset, count * 2);
    out = QString::fromStdU16String(units).toStdString();
    return true;
}

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

constexpr uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr size_t kHeaderMinimum = 88;

}  // namespace

size_t CEmfInfo::Count(uint32_t type) const {
    return static_cast<size_t>(
        std::count_if(records.begin(), records.end(), [type](const CEmfRecordInfo& r) { return r.type == type; }));
}

bool ReadEmf(std::string_view bytes, CEmfInfo& info, std::string* error) {
    info = CEmfInfo{};
    if (bytes.size() < kHeaderMinimum) return Fail(error, "shorter than a header");
    if (U32(bytes, 0) != kEmrHeader) return Fail(error, "the first record is not a header");
    if (U32(bytes, 40) != kSignature) return Fail(error, "no metafile signature");
    info.bounds = RectAt(bytes, 8);
    info.frame = RectAt(bytes, 24);
    info.nBytes = U32(bytes, 48);
    info.nRecords = U32(bytes, 52);
    std::memcpy(&info.nHandles, bytes.data() + 56, sizeof info.nHandles);
    info.deviceSize = CSize(I32(bytes, 72), I32(bytes, 76));
    info.millimetres = CSize(I32(bytes, 80), I32(bytes, 84));
    if (info.nBytes != bytes.size()) return Fail(error, "nBytes differs from the length");

    size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8) return Fail(error, "a record runs past the end");
        CEmfRecordInfo r{U32(bytes, at), U32(bytes, at + 4), static_cast<uint32_t>(at)};
        if (r.size < 8 || r.size % 4 != 0) return Fail(error, "a record has a bad size");
        if (r.size > bytes.size() - at) return Fail(error, "a record runs past the end");
        if (!info.records.empty() && info.records.back().type == kEmrEof)
            return Fail(error, "records follow the end-of-file record");
        if (r.type == kEmrExtTextOutW && r.size >= 76) {
            // The text's count and offset follow the bounds, mode, scales and reference point.
            const size_t count = U32(bytes, at + 44);
            const size_t offset = U32(bytes, at + 48);
            std::string text;
            if (!Utf16At(bytes, at, at + r.size, offset, count, text)) return Fail(error, "a text runs past its record");
            info.texts.push_back(std::move(text));
        }
        info.records.push_back(r);
        at += r.size;
    }
    if (info.records.back().type != kEmrEof) return Fail(error, "the last record is not end-of-file");
    if (info.records.size() != info.nRecords) return Fail(error, "nRecords differs from the records");
    const uint32_t headerSize = info.records.front().size;
    const size_t descCount = U32(bytes, 60);
    const size_t descOffset = U32(bytes, 64);
    if (descCount > 0) {
        std::string description;
        if (!Utf16At(bytes, 0, headerSize, descOffset, descCount, description))
            return Fail(error, "the description runs past the header");
        info.description = description.substr(0, description.find('\0'));
    }
    return true;
}
