// Truncated, corrupted and hostile files of every format: each read fails with a text (or, for a damage
// that leaves a readable picture, succeeds with sane sizes), never touches memory it does not own, and
// leaves the image it was loaded into as it was; pictures larger than the caps are refused before anything
// is allocated for them. Built to run under the address sanitizer.
#include <gtest/gtest.h>

#include <ostream>

#include <tiffio.h>
#include <zlib.h>

#include <random>

#include "report/model/image/gif_lzw.h"
#include "report/model/image/image_errors.h"
#include "report/model/image/image_file.h"
#include "report/model/image/image_limits.h"
#include "report/tests/image/image_test_util.h"

using namespace image_test;

namespace {

struct Sample {
    int format;
    const char* extension;
    int bits;
    // Bytes at the end that a reader may do without (a trailer it never reads).
    size_t optionalTail;
};
// Names the case in test listings instead of dumping its bytes.
inline void PrintTo(const Sample& p, std::ostream* os) { *os << p.extension << p.bits; }


std::string Name(const testing::TestParamInfo<Sample>& info) {
    return std::string(info.param.extension) + std::to_string(info.param.bits);
}

class DamagedFiles : public testing::TestWithParam<Sample> {
protected:
    void SetUp() override {
        FillPattern(m_previous, 3, 2, 8);
        m_good = SavedPattern(m_dir, std::string("good.") + GetParam().extension, 29, 13, GetParam().bits,
                              GetParam().format);
        ASSERT_GT(m_good.size(), 40u);
    }

    // Loads the bytes into an image that already holds a picture; false when the load failed.
    bool Load(const std::vector<uint8_t>& bytes, const std::string& what) {
        const std::string path = m_dir.File(std::string("damaged.") + GetParam().extension);
        WriteBytes(path, bytes);
        const uint8_t* before = m_previous.GetBlock();
        if (m_previous.Load(path.c_str(), GetParam().format)) {
            EXPECT_GT(m_previous.GetWidth(), 0) << what;
            EXPECT_GT(m_previous.GetHeight(), 0) << what;
            EXPECT_LE(int64_t(m_previous.GetWidth()) * m_previous.GetHeight(), image_limits::kMaxPixels) << what;
            FillPattern(m_previous, 3, 2, 8);
            return true;
        }
        EXPECT_FALSE(m_previous.GetErrorText().empty()) << what;
        EXPECT_EQ(m_previous.GetBlock(), before) << what;
        EXPECT_EQ(m_previous.GetWidth(), 3) << what;
        return false;
    }

    TempDir m_dir;
    CImageFile m_previous;
    std::vector<uint8_t> m_good;
};

// Where the compressed pixels of a GIF or JPEG file begin: cuts before `header` fail, cuts from `data` on
// read. Between the two lies a JPEG's scan header, which the library may read from its filler bytes. Both
// are the file's length for the other formats, whose cut files never load.
struct PixelData {
    size_t header, data;
};
PixelData PixelDataStart(int format, const std::vector<uint8_t>& file) {
    if (format == IMAGE_FORMAT_GIF && file.size() > 13) {
        // The screen, the global table, then (our writer's files have no extension) the image descriptor
        // without a local table, and the code size.
        const size_t at = 13 + ((file[10] & 0x80) ? 3u * (2u << (file[10] & 7)) : 0u) + 10 + 1;
        return {at, at};
    }
    for (size_t i = 0; format == IMAGE_FORMAT_JPEG && i + 3 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xDA) return {i, i + 2 + (size_t(file[i + 2]) << 8 | file[i + 3])};
    }
    return {file.size(), file.size()};
}

// A file cut before its pixel data fails. GIF and JPEG files cut inside it read what is there, as their
// libraries and other readers do: the whole picture, its missing rows filled.
TEST_P(DamagedFiles, TruncationFailsOrKeepsTheRowsThatCame) {
    const size_t required = m_good.size() - GetParam().optionalTail;
    const PixelData start = PixelDataStart(GetParam().format, m_good);
    ASSERT_LE(start.data, m_good.size());
    const size_t step = std::max<size_t>(1, m_good.size() / 400);
    for (size_t length = 0; length < m_good.size(); length += length + step < required ? step : 1) {
        const std::vector<uint8_t> cut(m_good.begin(), m_good.begin() + length);
        const bool loaded = Load(cut, "length " + std::to_string(length));
        if (length < std::min(required, start.header)) {
            EXPECT_FALSE(loaded) << "length " << length << " of " << m_good.size();
        } else if (length >= start.data && length < required) {
            EXPECT_TRUE(loaded) << "length " << length << " of " << m_good.size() << ": " << m_previous.GetErrorText();
        }
    }
}

TEST_P(DamagedFiles, OverwrittenHeaderBytes) {
    const size_t span = std::min<size_t>(m_good.size(), 160);
    for (size_t at = 0; at < span; ++at)
        for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            std::vector<uint8_t> bytes = m_good;
            if (bytes[at] == value) continue;
            bytes[at] = value;
            Load(bytes, "byte " + std::to_string(at) + " = " + std::to_string(value));
        }
}

TEST_P(DamagedFiles, RandomDamage) {
    std::mt19937 random(GetParam().format * 100 + GetParam().bits);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = m_good;
        const int changes = 1 + round % 6;
        for (int i = 0; i < changes; ++i) bytes[random() % bytes.size()] = uint8_t(random());
        if (round % 5 == 4) bytes.resize(random() % bytes.size());
        Load(bytes, "round " + std::to_string(round));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DamagedFiles,
    testing::Values(Sample{IMAGE_FORMAT_BMP, "bmp", 4, 0}, Sample{IMAGE_FORMAT_BMP, "bmp", 24, 0},
                    Sample{IMAGE_FORMAT_ICO, "ico", 8, 0}, Sample{IMAGE_FORMAT_GIF, "gif", 1, 1},
                    Sample{IMAGE_FORMAT_GIF, "gif", 8, 1}, Sample{IMAGE_FORMAT_PNG, "png", 4, 12},
                    Sample{IMAGE_FORMAT_PNG, "png", 24, 12}, Sample{IMAGE_FORMAT_JPEG, "jpg", 24, 0},
                    Sample{IMAGE_FORMAT_TIFF, "tif", 1, 0}, Sample{IMAGE_FORMAT_TIFF, "tif", 4, 0},
                    Sample{IMAGE_FORMAT_TIFF, "tif", 8, 0}, Sample{IMAGE_FORMAT_TIFF, "tif", 24, 0}),
    Name);

// ---- Hostile files built byte by byte ---------------------------------------------------------------------

void Set32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
}

struct Hostile {
    const char* name;
    std::vector<uint8_t> bytes;
};

void ExpectEachFails(int format, const std::vector<Hostile>& files, const char* text) {
    TempDir dir;
    for (const Hostile& f : files) {
        WriteBytes(dir.File("hostile"), f.bytes);
        CImageFile image;
        FillPattern(image, 2, 2, 24);
        EXPECT_FALSE(image.Load(dir.File("hostile").c_str(), format)) << f.name;
        EXPECT_EQ(image.GetErrorText(), text) << f.name;
        EXPECT_EQ(image.GetWidth(), 2) << f.name;
    }
}

std::vector<uint8_t> BmpHeader(int32_t width, int32_t height, int bits, uint32_t colors, uint32_t offset) {
    std::vector<uint8_t> v = {'B', 'M'};
    AppendLE32(v, 0);
    AppendLE32(v, 0);
    AppendLE32(v, offset);
    AppendLE32(v, 40);
    AppendLE32(v, uint32_t(width));
    AppendLE32(v, uint32_t(height));
    AppendLE16(v, 1);
    AppendLE16(v, bits);
    for (int i = 0; i < 4; ++i) AppendLE32(v, 0);
    AppendLE32(v, colors);
    AppendLE32(v, 0);
    v.resize(v.size() + 64, 0x5A);
    return v;
}

TEST(HostileFiles, Bmp) {
    auto badHeaderSize = BmpHeader(4, 4, 8, 0, 54);
    Set32(badHeaderSize, 14, 0xFFFFFFFF);
    ExpectEachFails(IMAGE_FORMAT_BMP,
                    {{"huge width", BmpHeader(0x7FFFFFFF, 1, 24, 0, 54)},
                     {"huge area", BmpHeader(100000, 100000, 8, 0, 54)},
                     {"height INT_MIN", BmpHeader(4, int32_t(0x80000000), 8, 0, 54)},
                     {"negative width", BmpHeader(-4, 4, 8, 0, 54)},
                     {"zero height", BmpHeader(4, 0, 8, 0, 54)},
                     {"two bits", BmpHeader(4, 4, 2, 0, 54)},
                     {"no bits", BmpHeader(4, 4, 0, 0, 54)},
                     {"palette too large", BmpHeader(4, 4, 8, 1000, 54)},
                     {"pixels past the end", BmpHeader(4, 4, 8, 0, 0xFFFFFFF0)},
                     {"rows past the end", BmpHeader(64, 64, 24, 0, 54)},
                     {"header size", badHeaderSize},
                     {"tiny", {'B', 'M', 1}}},
                    image_error::kBmpCorrupt);
}

std::vector<uint8_t> Icon(int entries, uint32_t offset, int bits, uint32_t colors) {
    std::vector<uint8_t> v;
    AppendLE16(v, 0);
    AppendLE16(v, 1);
    AppendLE16(v, entries);
    for (int i = 0; i < entries; ++i) {
        v.insert(v.end(), {16, 16, 0, 0});
        AppendLE16(v, 1);
        AppendLE16(v, bits);
        AppendLE32(v, 1000);
        AppendLE32(v, offset);
    }
    AppendLE32(v, 40);
    AppendLE32(v, 16);
    AppendLE32(v, 32);
    AppendLE16(v, 1);
    AppendLE16(v, bits);
    for (int i = 0; i < 4; ++i) AppendLE32(v, 0);
    AppendLE32(v, colors);
    AppendLE32(v, 0);
    v.resize(v.size() + 200, 0);
    return v;
}

TEST(HostileFiles, Ico) {
    auto wrongType = Icon(1, 22, 8, 0);
    wrongType[2] = 2;
    ExpectEachFails(IMAGE_FORMAT_ICO,
                    {{"no icons", Icon(0, 6, 8, 0)},
                     {"offset past the end", Icon(1, 0xFFFFFF00, 8, 0)},
                     {"three bits", Icon(1, 22, 3, 0)},
                     {"palette too large", Icon(1, 22, 8, 300)},
                     {"rows past the end", Icon(1, 22, 24, 0)},
                     {"header inside the directory", Icon(200, 22, 8, 0)},
                     {"directory past the end", {0, 0, 1, 0, 50, 0, 16, 16, 0, 0, 1, 0, 8, 0, 0, 1, 0, 0, 22, 0, 0, 0}},
                     {"not an icon directory", wrongType}},
                    image_error::kIcoCorrupt);
}

std::vector<uint8_t> Gif(int width, int height, int minCodeSize, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> v = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x81, 0, 0,  // screen, 4-entry table
                              0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0, 255, 0x2C, 0, 0, 0, 0};
    AppendLE16(v, width);
    AppendLE16(v, height);
    v.push_back(0);
    v.push_back(uint8_t(minCodeSize));
    v.push_back(uint8_t(data.size()));
    v.insert(v.end(), data.begin(), data.end());
    v.insert(v.end(), {0, ';'});
    return v;
}

std::vector<uint8_t> Codes(std::initializer_list<std::pair<int, int>> codes) {  // (code, width)
    std::vector<uint8_t> out;
    uint32_t accum = 0;
    int bits = 0;
    for (auto [code, width] : codes) {
        accum |= uint32_t(code) << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(uint8_t(accum));
            accum >>= 8;
            bits -= 8;
        }
    }
    if (bits) out.push_back(uint8_t(accum));
    return out;
}

TEST(HostileFiles, Gif) {
    const auto good = Codes({{4, 3}, {1, 3}, {2, 3}, {5, 3}});
    std::vector<uint8_t> gceTooLong = Gif(4, 4, 2, good);
    gceTooLong.insert(gceTooLong.begin() + 25, {0x21, 0xF9, 5, 1, 0, 0, 0, 0, 0});
    std::vector<uint8_t> unterminatedExtension = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0, 0, 0, 0x21, 0xFE, 10, 1, 2};
    ExpectEachFails(IMAGE_FORMAT_GIF,
                    {{"code beyond the next free code", Gif(4, 4, 2, Codes({{4, 3}, {1, 3}, {7, 3}, {5, 3}}))},
                     {"first code is a string", Gif(4, 4, 2, Codes({{4, 3}, {6, 3}, {5, 3}}))},
                     {"code size 12", Gif(4, 4, 12, good)},
                     {"code size 1", Gif(4, 4, 1, good)},
                     {"code size 0", Gif(4, 4, 0, good)},
                     {"zero width", Gif(0, 4, 2, good)},
                     {"graphic control of five bytes", gceTooLong},
                     {"unterminated extension", unterminatedExtension},
                     {"no image", {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0, 0, 0, ';'}},
                     {"not a GIF", {'G', 'I', 'F', '7', '9', 'a', 4, 0, 4, 0, 0, 0, 0, ';'}}},
                    image_error::kGifCorrupt);
    ExpectEachFails(IMAGE_FORMAT_GIF,
                    {{"too large", Gif(65535, 65535, 2, good)}, {"just too large", Gif(40000, 1001, 2, good)}},
                    image_error::kTooLarge);

    // The well-formed file of the same builder reads, so the failures above are the damage's doing.
    TempDir dir;
    WriteBytes(dir.File("good.gif"), Gif(4, 4, 2, good));
    CImageFile image(dir.File("good.gif").c_str(), IMAGE_FORMAT_GIF);
    ASSERT_EQ(image.GetWidth(), 4) << image.GetErrorText();
    EXPECT_EQ(PaletteIndex(image, 0, 0), 1u);
    EXPECT_EQ(PaletteIndex(image, 1, 0), 2u);
    EXPECT_EQ(PaletteIndex(image, 2, 0), 0u);  // the rest stays zero

    // Data that ends without the end code keeps the pixels it spelled; so does a file cut inside it.
    std::vector<uint8_t> endsInTheData = Gif(4, 4, 2, good);
    endsInTheData.resize(endsInTheData.size() - 3);
    for (const auto& [name, bytes] : {std::pair{"no end code", Gif(4, 4, 2, Codes({{4, 3}, {1, 3}, {2, 3}}))},
                                      std::pair{"file ends in the data", endsInTheData}}) {
        WriteBytes(dir.File("cut.gif"), bytes);
        CImageFile cut(dir.File("cut.gif").c_str(), IMAGE_FORMAT_GIF);
        ASSERT_EQ(cut.GetWidth(), 4) << name << ": " << cut.GetErrorText();
        EXPECT_EQ(cut.GetHeight(), 4) << name;
        EXPECT_EQ(PaletteIndex(cut, 0, 0), 1u) << name;
        EXPECT_EQ(PaletteIndex(cut, 3, 3), 0u) << name;
    }
}

// A PNG whose header chunk claims any size, with a correct checksum so that the library accepts it.
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height) {
    std::vector<uint8_t> v = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (uint32_t x : {width, height}) v.insert(v.end(), {uint8_t(x >> 24), uint8_t(x >> 16), uint8_t(x >> 8), uint8_t(x)});
    v.insert(v.end(), {8, 2, 0, 0, 0});
    const uint32_t crc = crc32(0, v.data() + 12, 17);
    v.insert(v.end(), {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)});
    v.insert(v.end(), {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
    return v;
}

TEST(HostileFiles, PngAndJpegFailWithTheLibrarysWords) {
    TempDir dir;
    struct Case {
        int format;
        const char* name;
        std::vector<uint8_t> bytes;
    };
    // A baseline JPEG frame header claiming 65000 × 65000 pixels, and nothing after it.
    std::vector<uint8_t> hugeJpeg = {0xFF, 0xD8, 0xFF, 0xC0, 0, 17, 8, 0xFD, 0xE8, 0xFD, 0xE8, 3,
                                     1, 0x22, 0, 2, 0x11, 0, 3, 0x11, 0, 0xFF, 0xDA, 0, 12, 3, 1, 0, 2, 0x11, 3, 0x11, 0, 63, 0};
    for (const Case& c : {Case{IMAGE_FORMAT_PNG, "huge", PngClaiming(1000000, 1000000)},
                          Case{IMAGE_FORMAT_PNG, "wide", PngClaiming(0x7FFFFFFF, 1)},
                          Case{IMAGE_FORMAT_PNG, "no data", PngClaiming(8, 8)},
                          Case{IMAGE_FORMAT_PNG, "not a PNG", {'P', 'N', 'G', 0, 0, 0}},
                          Case{IMAGE_FORMAT_JPEG, "huge", hugeJpeg},
                          Case{IMAGE_FORMAT_JPEG, "not a JPEG", {0xFF, 0xD9, 0, 0}},
                          Case{IMAGE_FORMAT_JPEG, "empty", {}}}) {
        WriteBytes(dir.File("hostile"), c.bytes);
        CImageFile image;
        FillPattern(image, 2, 2, 24);
        EXPECT_FALSE(image.Load(dir.File("hostile").c_str(), c.format)) << c.name;
        EXPECT_FALSE(image.GetErrorText().empty()) << c.name;
        EXPECT_EQ(image.GetWidth(), 2) << c.name;
    }
}

// Finds a tag of the first directory of a little-endian TIFF and replaces its inline value.
bool PatchTiffTag(std::vector<uint8_t>& tiff, uint16_t tag, uint32_t value) {
    const uint32_t ifd = tiff[4] | tiff[5] << 8 | tiff[6] << 16 | uint32_t(tiff[7]) << 24;
    const unsigned count = tiff[ifd] | tiff[ifd + 1] << 8;
    for (unsigned i = 0; i < count; ++i) {
        const size_t e = ifd + 2 + 12 * i;
        if ((tiff[e] | tiff[e + 1] << 8) != tag) continue;
        const unsigned type = tiff[e + 2] | tiff[e + 3] << 8;
        if (type == 3) {
            tiff[e + 8] = uint8_t(value);
            tiff[e + 9] = uint8_t(value >> 8);
        } else {
            Set32(tiff, e + 8, value);
        }
        return true;
    }
    return false;
}

TEST(HostileFiles, Tiff) {
    TempDir dir;
    for (int bits : {1, 4, 8, 24}) {
        const auto good = SavedPattern(dir, "good.tif", 16, 8, bits, IMAGE_FORMAT_TIFF);
        struct Patch {
            const char* name;
            uint16_t tag;
            uint32_t value;
        };
        for (const Patch& p : {Patch{"huge width", TIFFTAG_IMAGEWIDTH, 60000}, Patch{"huge height", TIFFTAG_IMAGELENGTH, 0x7FFFFFFF},
                               Patch{"zero width", TIFFTAG_IMAGEWIDTH, 0}, Patch{"strip offset", TIFFTAG_STRIPOFFSETS, 0xFFFFFF00},
                               Patch{"bits per sample", TIFFTAG_BITSPERSAMPLE, 16}, Patch{"samples", TIFFTAG_SAMPLESPERPIXEL, 7},
                               Patch{"rows per strip", TIFFTAG_ROWSPERSTRIP, 0}, Patch{"photometric", TIFFTAG_PHOTOMETRIC, 1},
                               Patch{"compression", TIFFTAG_COMPRESSION, 12345}}) {
            auto bytes = good;
            if (!PatchTiffTag(bytes, p.tag, p.value)) continue;
            WriteBytes(dir.File("hostile.tif"), bytes);
            CImageFile loaded;
            FillPattern(loaded, 2, 2, 24);
            if (loaded.Load(dir.File("hostile.tif").c_str(), IMAGE_FORMAT_TIFF)) {
                EXPECT_GT(loaded.GetWidth(), 0) << p.name << " " << bits;
            } else {
                EXPECT_FALSE(loaded.GetErrorText().empty()) << p.name << " " << bits;
                EXPECT_EQ(loaded.GetWidth(), 2) << p.name << " " << bits;
            }
        }
    }
}

}  // namespace
