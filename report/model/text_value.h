#pragma once
// CTextValue: the text part of an element (and of a section title): own text or a link to a report
// parameter whose text is shown instead, with its font, alignment, orientation, border, word-wrap and fit
// flags. Stored as a zor_value instance with a zor_font instance.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/gdi_types.h"

class CDC;
class CFolivox;
class CReportParam;
class CzorInstance;
class CRecordReader;
class CRecordWriter;

// Alignment flags.
enum : int {
    kAlignTop = 1,
    kAlignVCenter = 2,
    kAlignBottom = 4,
    kAlignLeft = 8,
    kAlignHCenter = 16,
    kAlignRight = 32,
    kAlignDefault = kAlignVCenter | kAlignHCenter,
};

// Text types.
enum : int { kTextNone = 0, kTextOwn = 1, kTextParam = 2 };

class CTextValue {
public:
    CTextValue();
    // Copies every field: the copy shares the source's store instances and parameter.
    CTextValue(const CTextValue&) = default;
    // Copies the look (font, type, alignment, wrap, orientation, border, fit) and the text: a parameter
    // link for a type-2 source, the source's GetText otherwise (so a type-0 source gives empty own text).
    // The target keeps its own store instances.
    CTextValue& operator=(CTextValue source);

    // The own text (type 1), the parameter's text (type 2 with a parameter), otherwise empty.
    std::string GetText() const;
    // Own text: type 1, no parameter.
    void SetText(const std::string& text);
    // Parameter link: type 2 (the own text stays as it was).
    void SetText(CReportParam* parameter);
    // The parameter of a type-2 value, else null.
    CReportParam* GetParam() const { return m_nType == kTextParam ? m_pParam : nullptr; }
    void SetFont(const LOGFONT& font) { m_Font = font; }
    const LOGFONT& GetFont() const { return m_Font; }

    // The own text field, whatever the type.
    const std::string& GetOwnText() const { return m_Text; }
    int GetType() const { return m_nType; }
    int GetAlign() const { return m_nAlign; }
    void SetAlign(int align) { m_nAlign = align; }
    int GetBorder() const { return m_nBorder; }
    void SetBorder(int border) { m_nBorder = border; }
    int GetWordWrap() const { return m_nWordWrap; }
    void SetWordWrap(int wrap) { m_nWordWrap = wrap; }
    // 0 horizontal, 1 vertical (reads bottom to top).
    int GetOrientation() const { return m_nOrientation; }
    void SetOrientation(int orientation) { m_nOrientation = orientation; }
    int GetFitText() const { return m_nFitText; }
    void SetFitText(int fit) { m_nFitText = fit; }
    CzorInstance* GetInstance() const { return m_pValueInst; }
    CzorInstance* GetFontInstance() const { return m_pFontInst; }

    // --- Store ---------------------------------------------------------------------------------------------
    // Creates the zor_value and zor_font instances and writes the value, when there is no value instance.
    void CreateInst(CFolivox* manager);
    // Writes the value (creating missing instances). A linked parameter that was never written is written
    // first, so that the link survives.
    void UpdateData(CFolivox* manager);
    // Reads the value from a zor_value instance; null for a null instance, else this. Reading never
    // changes the store: a link to an instance that is none of the manager's parameters is left unlinked
    // in memory and kept in the store.
    CTextValue* CreateFromInst(CzorInstance* value, CFolivox* manager);
    // Deletes the value's zor_value and zor_font instances.
    void Delete(CFolivox* manager);

    // --- Record ----------------------------------------------------------------------------------------------
    int GetMemSize() const;
    void CopyToMem(CRecordWriter& out) const;
    // Reads a record; the value becomes own text with the record's text. False on a short or bad record
    // (the value then unchanged).
    bool LoadDataFromMem(CRecordReader& in);

    // --- Line breaking ---------------------------------------------------------------------------------------
    // Breaks text into lines no wider than width with dc's current font, preferring line feeds, then a
    // backslash, a space (never right after "ГОСТ", "ОСТ" or "ТУ") and then punctuation. Returns the line
    // count, or -1 for a negative width, no array or no context, or when not even one character fits.
    static int BreakString(std::vector<std::string>* lines, int width, const CDC* dc, std::string_view text);
    int BreakString(std::vector<std::string>* lines, int width, const CDC* dc, const std::string* text) const {
        return BreakString(lines, width, dc, text ? std::string_view(*text) : std::string_view());
    }

private:
    void WriteValues(CFolivox* manager);

    std::string m_Text;
    CReportParam* m_pParam = nullptr;
    int m_nType = kTextNone;
    CzorInstance* m_pValueInst = nullptr;
    int m_nBorder = 1;
    LOGFONT m_Font;
    int m_nAlign = kAlignDefault;
    int m_nWordWrap = 1;
    int m_nOrientation = 0;
    int m_nFitText = 0;
    CzorInstance* m_pFontInst = nullptr;
};

// The default font of a text value: Arial, 8 points, italic byte 255, Cyrillic.
LOGFONT DefaultTextFont();
