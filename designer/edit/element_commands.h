#pragma once
// The editor's commands on the selected elements of the shown sheet: alignment to the first selected
// element, rounding to whole millimetres, the text format of text rectangles (bold, italic, underline,
// horizontal alignment, orientation, font), the fixed flag and select all, each with the rule that
// enables (and checks) its menu item and toolbar button.
//
// The commands work on the sheet's selection in selection order and change the elements in memory only;
// the elements reach the store when their sheet is freed or the document saved. The view and the document
// hand in what the commands need of them through EditorContext.
#include <functional>
#include <string>
#include <utility>

#include "platform/win/gdi_types.h"

#include "designer/users/report_user.h"

class CReportElement;
class CReportSheet;
class QFont;
class QWidget;

namespace quillmark {

struct EditorContext {
    CReportSheet* sheet = nullptr;
    int mode = 0;  // the document's mode: 0 edit, 1 view
    // The document's rights check; with showMessage it tells the user "Недостаточно прав!". Unset: every
    // right is granted (a report without users).
    std::function<bool(int right, bool showMessage)> hasRight;
    // The document is marked changed and the view redrawn.
    std::function<void()> changed;
    // The view is redrawn (nothing changed in the report).
    std::function<void()> redraw;

    bool HasRight(int right, bool showMessage) const { return !hasRight || hasRight(right, showMessage); }
};

enum class AlignCommand { Left, Right, Top, Bottom, Width, Height, WidthAndHeight };

class CElementCommands {
public:
    explicit CElementCommands(EditorContext context) : m_ctx(std::move(context)) {}

    // --- Alignment: the first selected element is the reference -----------------------------------------
    // A line as the reference: "Нельзя выравнивать по линии." and nothing changes; other lines are skipped.
    void AlignElements(AlignCommand command);
    // At least two selected, edit mode, the edit right.
    bool CanAlignElements() const;
    // Every selected element rounds its origin and size to whole millimetres.
    void RoundToMillimetres();

    // --- Text format of the selected text rectangles ---------------------------------------------------------
    // Decided by the first selected element, whatever its kind: bold unless it is bold (weight 700),
    // italic and underline unless it has them.
    void ToggleBold();
    void ToggleItalic();
    void ToggleUnderline();
    // kAlignLeft, kAlignHCenter or kAlignRight; the other two cleared, vertical bits kept.
    void SetTextAlign(int horizontal);
    // 0 horizontal, 1 vertical.
    void SetOrientation(int orientation);
    // Check states, from the first selected text rectangle (false without one).
    bool IsBold() const;
    bool IsItalic() const;
    bool IsUnderline() const;
    bool HasTextAlign(int horizontal) const;
    bool HasOrientation(int orientation) const;

    // --- Font ---------------------------------------------------------------------------------------------
    // The font the dialog opens with: the first selected element's, at its height / 10 points.
    QFont DialogFont() const;
    // Every selected text rectangle gets the first selected element's font changed as chosen, its height
    // the chosen size in tenths of a point.
    void ApplyFont(const QFont& chosen);
    // The font dialog over parent, then ApplyFont on OK.
    void ChooseFont(QWidget* parent);

    // --- Text -------------------------------------------------------------------------------------------------
    // The one-line text dialog of the report library: (title, text in and out, mode) -> OK.
    using TextDialog = std::function<bool(const char* title, std::string& text, int mode)>;
    // "Редактировать текст": the first selected element's text in the dialog ("Текст", mode 2); on OK every
    // selected text rectangle gets the text as its own.
    void EditText(const TextDialog& dialog);
    // A selection, the edit right and a dialog to show.
    bool CanEditText(const TextDialog& dialog) const { return dialog && CanEditSelection(); }

    // --- Fixed flag, select all -------------------------------------------------------------------------------
    // Every selected element fixed when the first one is not, else every one released.
    void ToggleFixed();
    bool IsFixed() const;
    void SelectAll();
    bool CanSelectAll() const { return m_ctx.sheet != nullptr; }

    // A selection and the edit right (checked silently): the enable rule of the other commands.
    bool CanEditSelection() const;

private:
    CReportElement* First() const;
    CReportElement* FirstTextRect() const;
    // A sheet, the edit right (told when missing) and a selection.
    bool StartFormat() const;
    // Applies change to every selected text rectangle, then tells the document.
    template <typename Change>
    void ForEachTextRect(Change change);
    void Changed() const;

    EditorContext m_ctx;
};

// LOGFONT and the font dialog's QFont: face, weight, italic, underline, strike-out; the size in points is
// the LOGFONT's height (tenths of a point) / 10.
QFont FontFromLogFont(const LOGFONT& font);
// font with the face, weight, style and size (× 10) of chosen; the rest (character set) kept.
LOGFONT LogFontFromChosen(LOGFONT font, const QFont& chosen);

}  // namespace quillmark
