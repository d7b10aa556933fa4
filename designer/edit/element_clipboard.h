#pragma once
// Copying and pasting elements through the clipboard format "ZOR_RC_DATA_FORMAT", between windows and
// between running programs. The block (little-endian):
//
//   int32 process id of the copying program | int32 count | count element records, in selection order
//
// each record as its element writes it (CopyToMem), beginning with the element's kind. Records carry no
// addresses, so a block pastes in any process.
//
// The block comes from outside, so reading it is all or nothing: a short block, a negative or impossible
// count, a record longer than what is left or a record its element refuses pastes nothing. A kind that
// no element has ends the paste there and keeps the elements read before it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "designer/edit/element_commands.h"
#include "platform/win/geometry.h"

class CBoundArray;
class CFolivox;
class CReportElement;
class CReportSheet;

namespace quillmark {

inline constexpr const char* kElementClipboardFormat = "ZOR_RC_DATA_FORMAT";
inline constexpr const char* kClipboardReadError = "Ошибка чтения информации из буфера обмена.";
// The block came out another size than the elements said: an internal error, nothing is offered.
inline constexpr const char* kClipboardSizeError = "Ошибка выделения памяти!";

// The block of the elements; false when the bytes written disagree with the elements' GetMemSize.
bool BuildElementBlock(const std::vector<CReportElement*>& elements, int32_t processId, std::vector<uint8_t>& block);

enum class BlockReadStatus {
    Complete,     // every record read
    UnknownKind,  // stopped at a kind no element has; the elements before it are kept
    Bad,          // a damaged block: nothing read
};

// New elements of manager from the block, not yet on any sheet (the caller owns them).
BlockReadStatus ReadElementBlock(const uint8_t* data, size_t size, CFolivox* manager,
                                 std::vector<std::unique_ptr<CReportElement>>& elements);

// Puts the pasted elements on the sheet: each writes itself to the store and is added; one that is not
// fixed is selected and gets a move frame in frames at click; then the frames' elements are moved so that
// the group's upper-left corner (frames.GetTopLeft at zoom) lands on click. The sheet's selection is
// replaced.
void PlacePastedElements(CReportSheet* sheet, std::vector<std::unique_ptr<CReportElement>>& elements, CPoint click,
                         double zoom, CBoundArray& frames);

// "Копировать": the selected elements to the clipboard (a sheet, a selection, the edit right with its
// message); false when nothing was offered.
bool CopyElementsToClipboard(const EditorContext& context);
// Whether the clipboard holds elements: the paste command's enable rule, with the edit right.
bool ClipboardHasElements();
// The click that follows "Вставить": the clipboard's elements pasted at click on the context's sheet.
// False, the sheet as it was, when the clipboard holds no elements or a damaged block ("Ошибка чтения
// информации из буфера обмена." then).
bool PasteElementsFromClipboard(const EditorContext& context, CPoint click, double zoom, CBoundArray& frames);

}  // namespace quillmark
