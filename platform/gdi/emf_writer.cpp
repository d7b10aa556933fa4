#include "platform/gdi/emf_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <fmt/format.h>
#include <uemf.h>

#include <QImage>
#include <QPainter>
#include <QString>

#include "platform/base/file_io.h"
#include "platform/gdi/dc_impl.h"
#include "platform/gdi/text_measurer.h"

namespace {

U_RECTL ToRectl(const CRect& r) {
    U_RECTL out;
    out.left = r.left;
    out.top = r.top;
    out.right = r.right;
    out.bottom = r.bottom;
    return out;
}

// Bounds in a record are inclusive: the last unit inside.
U_RECTL InclusiveBounds(const CRect& r) {
    U_RECTL out = ToRectl(r);
    out.right = std::max(r.left, r.right - 1);
    out.bottom = std::max(r.top, r.bottom - 1);
    return out;
}

U_COLORREF ToColor(COLORREF c) { return colorref3_set(GetRValue(c), GetGValue(c), GetBValue(c)); }

uint32_t RecordSize(const char* record) {
    uint32_t size = 0;
    std::memcpy(&size, record + 4, sizeof size);
    return size;
}

// Text as it is drawn: without control characters, which take no room either.
bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F; }

constexpr size_t kMaxLiveObjects = 64;

}  // namespace

CEmfRecorder::CEmfRecorder(const CRect& frame, std::string_view description)
    : m_frame(frame),
      m_description(QString::fromUtf8(description.data(), static_cast<qsizetype>(description.size())).toStdU16String()) {
    m_deviceWidth = std::max(1, (frame.Width() + 5) / 10);
    m_deviceHeight = std::max(1, (frame.Height() + 5) / 10);
    Append(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
    Append(U_EMRSETWINDOWORGEX_set(pointl_set(0, 0)));
    Append(U_EMRSETWINDOWEXTEX_set(sizel_set(m_deviceWidth, m_deviceHeight)));
    Append(U_EMRSETVIEWPORTORGEX_set(pointl_set(0, 0)));
    Append(U_EMRSETVIEWPORTEXTEX_set(sizel_set(m_deviceWidth, m_deviceHeight)));
    Append(U_EMRSETTEXTALIGN_set(U_TA_TOP | U_TA_LEFT | U_TA_NOUPDATECP));
    Append(U_EMRSETSTRETCHBLTMODE_set(U_STRETCH_DELETESCANS));
    m_selected.pen = U_BLACK_PEN;
    m_selected.brush = U_WHITE_BRUSH;
    m_selected.font = U_SYSTEM_FONT;
}

CEmfRecorder::~CEmfRecorder() = default;

void CEmfRecorder::Append(char* record) {
    if (!record) return;
    m_body.append(record, RecordSize(record));
    ++m_records;
    std::free(record);
}

void CEmfRecorder::Include(const CRect& device) {
    CRect r = device;
    r.NormalizeRect();
    if (r.IsRectEmpty()) r.InflateRect(0, 0, r.Width() == 0 ? 1 : 0, r.Height() == 0 ? 1 : 0);
    if (m_bounds)
        m_bounds->UnionRect(*m_bounds, r);
    else
        m_bounds = r;
}

// --- Objects ----------------------------------------------------------------------------------------------

uint32_t CEmfRecorder::NewHandle() {
    if (!m_freeHandles.empty()) {
        const uint32_t h = m_freeHandles.back();
        m_freeHandles.pop_back();
        return h;
    }
    return m_nextHandle++;
}

bool CEmfRecorder::Pinned(uint32_t handle) const {
    auto in = [handle](const Selection& s) { return s.pen == handle || s.brush == handle || s.font == handle; };
    return in(m_selected) || (m_savedForClip && in(*m_savedForClip));
}

void CEmfRecorder::Evict() {
    // Objects stay while they may be selected again; a long page with many fonts or colours deletes the
    // least recently used ones that nothing holds.
    while (m_objects.size() > kMaxLiveObjects) {
        auto victim = m_objects.end();
        for (auto it = m_objects.begin(); it != m_objects.end(); ++it)
            if (!Pinned(it->handle) && (victim == m_objects.end() || it->lastUse < victim->lastUse)) victim = it;
        if (victim == m_objects.end()) return;
        Append(U_EMRDELETEOBJECT_set(victim->handle));
        m_freeHandles.push_back(victim->handle);
        m_objects.erase(victim);
    }
}

template <typename Make>
uint32_t CEmfRecorder::Obtain(const std::string& key, Make make) {
    ++m_useClock;
    for (Object& o : m_objects)
        if (o.key == key) {
            o.lastUse = m_useClock;
            return o.handle;
        }
    const uint32_t handle = NewHandle();
    char* record = make(handle);
    if (!record) {  // out of memory: the drawing goes on with what is selected
        m_freeHandles.push_back(handle);
        return 0;
    }
    Append(record);
    m_objects.push_back({key, handle, m_useClock});
    return handle;
}

void CEmfRecorder::Select(uint32_t handle, uint32_t Selection::*slot) {
    if (handle == 0 || m_selected.*slot == handle) return;
    Append(U_EMRSELECTOBJECT_set(handle));
    m_selected.*slot = handle;
    Evict();
}

void CEmfRecorder::SyncPen(const CDC::Impl& dc) {
    const LOGPEN& pen = dc.state.pen;
    int style = static_cast<int>(pen.lopnStyle) & PS_STYLE_MASK;
    if (style == PS_NULL) {
        Select(U_NULL_PEN, &Selection::pen);
        return;
    }
    if (style == PS_INSIDEFRAME || style > PS_DASHDOTDOT) style = PS_SOLID;
    const double w = pen.lopnWidth.x * (dc.ScaleX() + dc.ScaleY()) / 2.0;
    const int width = std::max(1, static_cast<int>(std::lround(w)));
    const COLORREF color = pen.lopnColor & 0xFFFFFF;
    const std::string key = fmt::format("p{}/{}/{}", style, width, color);
    // Geometric, as the other devices draw them: round caps on solid lines, flat ones keep a pattern's gaps.
    const uint32_t penStyle = U_PS_GEOMETRIC | static_cast<uint32_t>(style) | U_PS_JOIN_ROUND |
                              (style == PS_SOLID ? U_PS_ENDCAP_ROUND : U_PS_ENDCAP_FLAT);
    Select(Obtain(key,
                  [&](uint32_t h) -> char* {
                      PU_EXTLOGPEN elp = extlogpen_set(penStyle, static_cast<uint32_t>(width), U_BS_SOLID,
                                                       ToColor(color), 0, 0, nullptr);
                      if (!elp) return nullptr;
                      char* record = U_EMREXTCREATEPEN_set(h, nullptr, 0, nullptr, elp);
                      std::free(elp);
                      return record;
                  }),
           &Selection::pen);
}

void CEmfRecorder::SyncBrush(uint32_t style, COLORREF color) {
    if (style != BS_SOLID) {
        Select(U_NULL_BRUSH, &Selection::brush);
        return;
    }
    color &= 0xFFFFFF;
    Select(Obtain(fmt::format("b{}", color),
                  [&](uint32_t h) {
                      return U_EMRCREATEBRUSHINDIRECT_set(h, logbrush_set(U_BS_SOLID, ToColor(color), 0));
                  }),
           &Selection::brush);
}

void CEmfRecorder::SyncFont(const CDC::Impl& dc) {
    const LOGFONT& font = dc.state.font;
    // The em height on the device, as TextOut draws it; a player takes a negative height as the em.
    const int height = std::max(1, static_cast<int>(std::lround(PointFontEmHeight(font) * dc.PhysicalY())));
    const int escapement = font.lfEscapement != 0 ? 900 : 0;
    const std::string face(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
    const std::string key = fmt::format("f{}/{}/{}/{}/{}/{}/{}", height, escapement, font.lfWeight, font.lfItalic,
                                        font.lfUnderline, font.lfStrikeOut, face);
    Select(Obtain(key,
                  [&](uint32_t h) {
                      uint16_t faceName[U_LF_FACESIZE] = {};
                      const std::u16string f = QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()))
                                                   .left(U_LF_FACESIZE - 1)
                                                   .toStdU16String();
                      std::copy(f.begin(), f.end(), faceName);
                      const U_LOGFONT lf = logfont_set(-height, 0, escapement, escapement, font.lfWeight,
                                                       font.lfItalic ? 1 : 0, font.lfUnderline ? 1 : 0,
                                                       font.lfStrikeOut ? 1 : 0, U_DEFAULT_CHARSET,
                                                       U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS,
                                                       U_DEFAULT_QUALITY, U_DEFAULT_PITCH, faceName);
                      return U_EMREXTCREATEFONTINDIRECTW_set(h, reinterpret_cast<const char*>(&lf), nullptr);
                  }),
           &Selection::font);
}

void CEmfRecorder::SyncRop(const CDC::Impl& dc) {
    if (m_selected.rop2 == dc.state.rop2) return;
    Append(U_EMRSETROP2_set(static_cast<uint32_t>(dc.state.rop2)));
    m_selected.rop2 = dc.state.rop2;
}

void CEmfRecorder::SyncTextColors(const CDC::Impl& dc) {
    if (m_selected.textColor != dc.state.textColor) {
        Append(U_EMRSETTEXTCOLOR_set(ToColor(dc.state.textColor)));
        m_selected.textColor = dc.state.textColor;
    }
    if (m_selected.bkMode != dc.state.bkMode) {
        Append(U_EMRSETBKMODE_set(static_cast<uint32_t>(dc.state.bkMode)));
        m_selected.bkMode = dc.state.bkMode;
    }
    if (dc.state.bkMode == OPAQUE && m_selected.bkColor != dc.state.bkColor) {
        Append(U_EMRSETBKCOLOR_set(ToColor(dc.state.bkColor)));
        m_selected.bkColor = dc.state.bkColor;
    }
}

// The clip lives in a saved state of its own: restoring it is the only way back to no clip that every
// player knows, and it also brings back the objects selected when it was saved.
void CEmfRecorder::SyncClip(const CDC::Impl& dc) {
    if (m_clip == dc.state.clip) return;
    if (m_savedForClip) {
        Append(U_EMRRESTOREDC_set(-1));
        m_selected = *m_savedForClip;
        m_savedForClip.reset();
    }
    m_clip = dc.state.clip;
    if (!m_clip) return;
    Append(U_EMRSAVEDC_set());
    m_savedForClip = m_selected;
    Append(U_EMRINTERSECTCLIPRECT_set(ToRectl(*m_clip)));
}

// --- Drawing ----------------------------------------------------------------------------------------------

void CEmfRecorder::Line(const CDC::Impl& dc, CPoint from, CPoint to) {
    if (m_finished) return;
    SyncClip(dc);
    SyncPen(dc);
    SyncRop(dc);
    Append(U_EMRMOVETOEX_set(pointl_set(from.x, from.y)));
    Append(U_EMRLINETO_set(pointl_set(to.x, to.y)));
    Include(CRect(from, to));
}

void CEmfRecorder::Rectangle(const CDC::Impl& dc, const CRect& device) {
    if (m_finished) return;
    SyncClip(dc);
    SyncPen(dc);
    SyncBrush(dc.state.brush.lbStyle, dc.state.brush.lbColor);
    SyncRop(dc);
    Append(U_EMRRECTANGLE_set(ToRectl(device)));
    Include(device);
}

void CEmfRecorder::FillSolid(const CDC::Impl& dc, const CRect& device, COLORREF color) {
    if (m_finished || device.IsRectEmpty()) return;
    SyncClip(dc);
    Select(U_NULL_PEN, &Selection::pen);
    SyncBrush(BS_SOLID, color);
    if (m_selected.rop2 != R2_COPYPEN) {
        Append(U_EMRSETROP2_set(R2_COPYPEN));
        m_selected.rop2 = R2_COPYPEN;
    }
    // Without an outline a rectangle leaves its last row and column unfilled.
    CRect r = device;
    r.InflateRect(0, 0, 1, 1);
    Append(U_EMRRECTANGLE_set(ToRectl(r)));
    Include(device);
}

void CEmfRecorder::Text(const CDC::Impl& dc, CPoint origin, std::string_view text) {
    if (m_finished || text.empty()) return;
    const LOGFONT& font = dc.state.font;
    if (font.lfHeight == 0) return;
    const CTextMeasurer& measurer = CurrentTextMeasurer();
    std::vector<double> prefix;
    measurer.PrefixWidths(font, text, prefix);
    // One entry per UTF-8 character in the prefixes; the metafile wants one advance per UTF-16 unit.
    const QString all = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const std::u32string chars = all.toStdU32String();
    std::u16string drawn;
    std::vector<uint32_t> dx;
    const double perTenth = dc.PhysicalX();
    double before = 0.0;
    long placed = 0;  // rounded advance so far, so that rounding never drifts along a line
    for (size_t i = 0; i < chars.size(); ++i) {
        const double after = i < prefix.size() ? prefix[i] : before;
        if (!IsControl(chars[i])) {
            const long end = std::lround(after * perTenth);
            const QString one = QString::fromUcs4(&chars[i], 1);
            drawn += one.toStdU16String();
            dx.push_back(static_cast<uint32_t>(std::max(0L, end - placed)));
            for (qsizetype k = 1; k < one.size(); ++k) dx.push_back(0);
            placed = std::max(placed, end);
        }
        before = after;
    }
    if (drawn.empty()) return;
    SyncClip(dc);
    SyncFont(dc);
    SyncTextColors(dc);
    const CFontMetricsF m = measurer.FontMetrics(font);
    const int along = static_cast<int>(placed);
    const int across = static_cast<int>(std::lround(m.Height() * dc.PhysicalY()));
    const CRect cell = font.lfEscapement != 0 ? CRect(origin.x, origin.y - along, origin.x + across, origin.y)
                                              : CRect(origin.x, origin.y, origin.x + along, origin.y + across);
    std::vector<uint16_t> units(drawn.begin(), drawn.end());
    char* emrtext = emrtext_set(pointl_set(origin.x, origin.y), static_cast<U_NUM_STR>(units.size()), 2,
                                units.data(), U_ETO_NONE, ToRectl(cell), dx.data());
    if (!emrtext) return;
    Append(U_EMREXTTEXTOUTW_set(InclusiveBounds(cell), U_GM_COMPATIBLE, 1.0f, 1.0f,
                                reinterpret_cast<PU_EMRTEXT>(emrtext)));
    std::free(emrtext);
    Include(cell);
}

void CEmfRecorder::Image(const CDC::Impl& dc, const CRect& device, const QImage& image) {
    if (m_finished || image.isNull() || device.IsRectEmpty()) return;
    SyncClip(dc);
    // Players ignore the fourth byte of a 32-bit bitmap: transparent parts are laid on white first.
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
        QPainter p(&opaque);
        p.drawImage(0, 0, image);
    }
    const int w = opaque.width();
    const int h = opaque.height();
    const size_t rowBytes = static_cast<size_t>(w) * 4;
    std::vector<char> pixels(rowBytes * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)  // bottom-up rows
        std::memcpy(pixels.data() + static_cast<size_t>(h - 1 - y) * rowBytes, opaque.constScanLine(y), rowBytes);
    const U_BITMAPINFOHEADER header =
        bitmapinfoheader_set(w, h, 1, 32, U_BI_RGB, static_cast<uint32_t>(pixels.size()), 0, 0, 0, 0);
    PU_BITMAPINFO info = bitmapinfo_set(header, nullptr);
    if (!info) return;
    Append(U_EMRSTRETCHDIBITS_set(InclusiveBounds(device), pointl_set(device.left, device.top),
                                  pointl_set(device.Width(), device.Height()), pointl_set(0, 0), pointl_set(w, h),
                                  U_DIB_RGB_COLORS, U_SRCCOPY, info, static_cast<uint32_t>(pixels.size()),
                                  pixels.data()));
    std::free(info);
    Include(device);
}

// --- End --------------------------------------------------------------------------------------------------

const std::string& CEmfRecorder::Finish() {
    if (m_finished) return m_bytes;
    m_finished = true;
    if (m_savedForClip) {
        Append(U_EMRRESTOREDC_set(-1));
        m_selected = *m_savedForClip;
        m_savedForClip.reset();
        m_clip.reset();
    }
    // Stock objects back in, then every object of ours deleted, as a well-behaved picture leaves a context.
    if (m_selected.pen != U_BLACK_PEN) Append(U_EMRSELECTOBJECT_set(U_BLACK_PEN));
    if (m_selected.brush != U_WHITE_BRUSH) Append(U_EMRSELECTOBJECT_set(U_WHITE_BRUSH));
    if (m_selected.font != U_SYSTEM_FONT) Append(U_EMRSELECTOBJECT_set(U_SYSTEM_FONT));
    for (const Object& o : m_objects) Append(U_EMRDELETEOBJECT_set(o.handle));
    m_objects.clear();
    EMFTRACK track{};
    Append(U_EMREOF_set(0, nullptr, &track));

    const CRect bounds = m_bounds ? *m_bounds : CRect(0, 0, 1, 1);
    std::u16string description = m_description;
    description.push_back(u'\0');
    description.push_back(u'\0');
    std::vector<uint16_t> desc(description.begin(), description.end());
    char* header = U_EMRHEADER_set(InclusiveBounds(bounds), ToRectl(m_frame), nullptr,
                                   static_cast<U_CBSTR>(desc.size()), desc.data(),
                                   sizel_set(m_deviceWidth, m_deviceHeight),
                                   sizel_set((m_frame.Width() + 50) / 100, (m_frame.Height() + 50) / 100), 0);
    if (!header) return m_bytes;
    U_EMRHEADER fields;
    std::memcpy(&fields, header, sizeof fields);
    const uint32_t headerSize = RecordSize(header);
    fields.nBytes = static_cast<uint32_t>(headerSize + m_body.size());
    fields.nRecords = m_records + 1;
    fields.nHandles = static_cast<uint16_t>(m_nextHandle);  // slot 0 is the metafile's own
    fields.szlMicrometers = sizel_set(m_frame.Width() * 10, m_frame.Height() * 10);
    std::memcpy(header, &fields, sizeof fields);
    m_bytes.reserve(fields.nBytes);
    m_bytes.assign(header, headerSize);
    m_bytes += m_body;
    std::free(header);
    m_body.clear();
    m_body.shrink_to_fit();
    ++m_records;
    return m_bytes;
}

bool CEmfRecorder::SaveAs(const std::string& path, std::string* error) {
    const std::string& bytes = Finish();
    if (bytes.empty()) {
        if (error) *error = "the metafile could not be made";
        return false;
    }
    return zor::WriteFileAtomically(path, bytes, error);
}
