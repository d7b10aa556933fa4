#pragma once
// CPictureElement (kind 6): a raster picture in a rectangle of a sheet. The picture lives in memory as a
// CImageFile and in the store as a blob of the element's zor_report_pic instance ("picture"), always as a
// TIFF file; its draw mode ("draw_mode") says whether it is fitted into the rectangle and whether it keeps
// its proportions. While pictures are not shown, or when there is no picture, the placeholder
// ("empty.bmp" of the dictionary folder) stands in for it. The element's record carries the picture's
// TIFF bytes, so a copied element pastes with its picture.
//
// Pictures move between the element, the store and records as bytes in memory. The TIFF form is made once
// per picture and kept until the picture changes, so a record's size and its bytes always agree, and a
// picture read from the store is written back as the very bytes it was read from. A picture that arrives
// as bytes (from the store, a record, a clone or a data cell) is decoded only when it is first shown or
// asked for: generation, merging and copying move its bytes and never pay for its pixels, and a damaged
// picture travels intact until something tries to show it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report/model/report_element.h"

class CImageFile;

// Draw mode bits.
enum : int {
    kPictureFit = 1,         // fitted into the rectangle ("Вписать в прямоугольник")
    kPictureKeepAspect = 2,  // keeping its proportions ("Сохранять пропорции"); only together with kPictureFit
};

// The image format of a picture file by its extension, compared exactly in lower case: "bmp", "gif",
// "jpg"/"jpeg", "png", "ico", "tif"/"tiff"; -1 for any other extension or none.
int PictureFormatOfPath(const std::string& path);

// The largest rectangle of the picture's proportions inside rect, centred; rect itself when it already has
// them or when either has no area.
CRect FitPictureRect(const CRect& rect, int pictureWidth, int pictureHeight);

class CPictureElement : public CReportElement {
public:
    // Draw mode from the profile ("DefaultSettings", "PictureDrawMode"); picture and placeholder from
    // "empty.bmp" in the manager's dictionary folder (or the configured one when the manager has none).
    explicit CPictureElement(CFolivox* manager);
    ~CPictureElement() override;
    CPictureElement(const CPictureElement&) = delete;
    CPictureElement& operator=(const CPictureElement&) = delete;

    // --- Virtual operations ------------------------------------------------------------------------------
    // The base record, then the draw mode, the length m of the picture's TIFF file and its m bytes (m is 0
    // without a picture). A short record, a bad length or bytes whose TIFF header does not describe a
    // picture we read (ProbeTiffPicture) give false and leave the element as it was; m of 0 gives an
    // element with an empty picture. The picture itself is decoded when first shown.
    bool LoadDataFromMem(CRecordReader& in) override;
    void CopyToMem(CRecordWriter& out) override;
    int GetMemSize() override;
    // 0 without a context or at zoom 0, else 1. kDrawPictures shows the picture (the placeholder without
    // one); without it the placeholder is shown. reportMode changes nothing here.
    int Draw(CDC* dc, double zoom, int reportMode, unsigned flags) override;
    // Removes the picture blob, then the base's dependent instances.
    void Delete() override;
    // A new picture element with this one's origin, size, name, kind, fixed flag, line width, draw mode and
    // its picture's TIFF bytes (decoded when the clone is first shown); no instance, no sheet.
    CReportElement* CreateClon() override;
    // write: creates the zor_report_pic instance when there is none, writes the draw mode, the picture as a
    // TIFF blob (an empty picture leaves the blob as it is, so nothing stored is lost) and the common
    // attributes. read: the draw mode, the picture's bytes (an empty picture when the blob is missing) and
    // the common attributes; a blob that is no TIFF picture is reported when the picture is first shown,
    // shows as empty, and is written back as it was read.
    void Update(bool write) override;

    // --- Pictures ----------------------------------------------------------------------------------------
    // Loads the file as the element's picture, the format chosen by PictureFormatOfPath: 1 when loaded.
    // An empty path, an unknown extension or a file that cannot be read gives 0 and keeps the picture as it
    // was; a read failure is reported with the image's error text.
    int LoadPicture(const std::string& path);
    // The same from a file's bytes in memory, in the given format (generation's picture cells). TIFF bytes
    // are kept as they are once their header passes ProbeTiffPicture, and decoded when first shown.
    int LoadPictureData(const uint8_t* data, size_t size, int format);
    // Writes the picture to a file in the format (the picture page's save); false without a picture.
    bool SavePicture(const char* path, int format);
    // The picture, never null, decoded from its bytes on the first call: a new element shows a copy of the
    // placeholder; it is empty (width and height 0, nothing drawn) when it was read from a missing blob or
    // a record without one, or when its bytes do not decode (reported once, on that first call).
    const CImageFile* GetPicture() const { return DecodedPicture(); }
    const CImageFile* GetPlaceholder() const { return m_pPlaceholder.get(); }
    // The picture's TIFF file as stored and copied, without decoding it: the bytes it came as, damaged or
    // not; empty for an empty picture or when it cannot be written (then reported once).
    const std::vector<uint8_t>& GetPictureTiff();

    int GetDrawMode() const { return m_nDrawMode; }
    // Turning fitting off makes the next drawing give the rectangle the picture's proportions.
    void SetDrawMode(int mode);

private:
    // Replaces the picture; tiff is its TIFF form when tiffKnown. A null picture is decoded from tiff when
    // first needed. A new picture's proportions are applied to the rectangle at the next drawing when the
    // mode does not fit it.
    void SetPicture(std::unique_ptr<CImageFile> picture, std::vector<uint8_t> tiff, bool tiffKnown, bool adjust);
    // The picture, decoded from m_Tiff first when it has not been yet (m_pPicture or m_bTiffKnown always
    // holds one form of it).
    CImageFile* DecodedPicture() const;
    // Gives the rectangle the picture's proportions (draw modes without kPictureFit), keeping the top edge
    // (y + height) or the height; an element or picture without area is left alone.
    void ApplyPictureAspect();
    static std::unique_ptr<CImageFile> DecodeTiff(const uint8_t* data, size_t size, std::string* error);

    int m_nDrawMode;
    // Null until decoded from m_Tiff; decoding changes no state a caller can see but the pixels.
    mutable std::unique_ptr<CImageFile> m_pPicture;
    std::unique_ptr<CImageFile> m_pPlaceholder;
    // The picture's TIFF form once made (m_bTiffKnown); kept until the picture changes.
    std::vector<uint8_t> m_Tiff;
    bool m_bTiffKnown = false;
    // The rectangle still has to take the picture's proportions (set when the picture or mode changes).
    bool m_bAspectPending = true;
};
