#pragma once
// An enhanced metafile recorded through a device context: CDC(CEmfRecorder*) draws into it as it draws on
// any other device, so one drawing routine serves screen, paper, bitmaps and metafiles.
//
// The reference device has 254 dots per inch, so one device unit is a tenth of a millimetre and a context
// in MM_LOMETRIC maps one logical unit to one metafile unit. The metafile itself runs in MM_ANISOTROPIC
// with window and viewport extents equal (its units are the reference device's), the context's own
// mapping already applied to every coordinate written. Pens, brushes and fonts are created when a drawing
// first needs them, kept while they are in use and deleted when they drop out of use or at the end; the
// clip is recorded inside a saved state that is restored when the clip changes. Text is written as text
// (UTF-16) with the advances of the current text measurer, so a player places every character where the
// other devices do. Images are written as 32-bit device-independent bitmaps.
//
// The records are encoded by libuemf and collected in memory; Finish puts the header (bounds, frame,
// reference device, record count, handle count, description) in front and the end-of-file record last.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/win/geometry.h"

class QImage;

class CEmfRecorder {
public:
    // frame: the picture's extent in hundredths of a millimetre (left and top are usually 0); the device
    // extents are the frame's in tenths of a millimetre. description: the text stored in the header.
    CEmfRecorder(const CRect& frame, std::string_view description);
    ~CEmfRecorder();
    CEmfRecorder(const CEmfRecorder&) = delete;
    CEmfRecorder& operator=(const CEmfRecorder&) = delete;

    static constexpr int kDotsPerInch = 254;
    int DeviceWidth() const { return m_deviceWidth; }
    int DeviceHeight() const { return m_deviceHeight; }

    // Closes the metafile (later drawing records nothing) and returns its bytes. Repeated calls return
    // the same bytes.
    const std::string& Finish();
    bool IsFinished() const { return m_finished; }
    // Finishes and replaces the file atomically: on failure the old file stays and error says why.
    bool SaveAs(const std::string& path, std::string* error = nullptr);
    // Records written so far, header and end-of-file included once finished.
    uint32_t RecordCount() const { return m_records + (m_finished ? 0 : 2); }

    // --- What CDC calls: geometry in device units, the rest from the context's state -------------------
    void Line(const CDC::Impl& dc, CPoint from, CPoint to);
    void Rectangle(const CDC::Impl& dc, const CRect& device);
    void FillSolid(const CDC::Impl& dc, const CRect& device, COLORREF color);
    void Text(const CDC::Impl& dc, CPoint origin, std::string_view text);
    void Image(const CDC::Impl& dc, const CRect& device, const QImage& image);

private:
    // What the metafile's player holds selected, to write only the changes.
    struct Selection {
        uint32_t pen = 0;
        uint32_t brush = 0;
        uint32_t font = 0;
        COLORREF textColor = RGB(0, 0, 0);
        COLORREF bkColor = RGB(255, 255, 255);
        int bkMode = OPAQUE;
        int rop2 = R2_COPYPEN;
    };
    struct Object {
        std::string key;  // kind and encoded value
        uint32_t handle = 0;
        uint64_t lastUse = 0;
    };

    void Append(char* record);  // takes a libuemf record (malloc'd) and frees it
    void Include(const CRect& device);
    void SyncClip(const CDC::Impl& dc);
    void SyncPen(const CDC::Impl& dc);
    void SyncBrush(uint32_t style, COLORREF color);
    void SyncFont(const CDC::Impl& dc);
    void SyncRop(const CDC::Impl& dc);
    void SyncTextColors(const CDC::Impl& dc);
    void Select(uint32_t handle, uint32_t Selection::*slot);
    // The handle of a created object with this key, creating it with make(handle) when there is none.
    template <typename Make>
    uint32_t Obtain(const std::string& key, Make make);
    bool Pinned(uint32_t handle) const;
    void Evict();
    uint32_t NewHandle();

    std::string m_body;  // every record after the header
    std::string m_bytes; // the finished metafile
    uint32_t m_records = 0;
    bool m_finished = false;
    CRect m_frame;
    std::u16string m_description;
    int m_deviceWidth = 0;
    int m_deviceHeight = 0;
    std::optional<CRect> m_bounds;
    Selection m_selected;
    std::optional<Selection> m_savedForClip;  // what the clip's saved state restores
    std::optional<CRect> m_clip;              // the clip in force in the metafile
    std::vector<Object> m_objects;
    std::vector<uint32_t> m_freeHandles;
    uint32_t m_nextHandle = 1;
    uint64_t m_useClock = 0;
};
