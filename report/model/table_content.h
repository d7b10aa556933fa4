#pragma once
// The table of contents as data.
//
// CTableContent is one node of the contents tree that generation gathers: a heading title, the sheets its
// rows landed on and its child headings. The manager owns the roots (CFolivox::GetTableContents), each
// node owns its children; sheets are only pointed at. Stored as zor_table_content (title, childs, sheets).
//
// CTableContentTitle is the list of heading levels of a contents element, one CTableContentTitleLevel per
// depth with that depth's indent (millimetres) and font. Stored as zor_table_content_title (levels) and
// zor_table_content_title_level (para_delta, font).
#include <string>
#include <unordered_set>

#include "platform/win/gdi_types.h"
#include "platform/win/ptrarray.h"

class CFolivox;
class CReportSheet;
class CzorAttr;
class CzorInstance;

class CTableContent {
public:
    explicit CTableContent(CFolivox* manager);
    // Deletes the children (and theirs); the sheets are not the node's.
    ~CTableContent();
    CTableContent(const CTableContent&) = delete;
    CTableContent& operator=(const CTableContent&) = delete;

    // write: stores the node and its subtree (a sheet not stored yet is stored first, so that the link
    // survives; a sheet that is no longer one of the manager's pages is left out). read: replaces the
    // title, the children (rebuilt from the store) and the sheets (the manager's sheets stored as the
    // listed instances). Nothing is read without an instance.
    void Update(bool write);

    // Index of the sheet among the node's sheets, -1 when absent.
    int FindSheet(const CReportSheet* sheet) const;
    // The sheet's index; a sheet not there yet is appended first. -1 for null.
    int AddSheet(CReportSheet* sheet);
    // Takes the sheet out of this node and its whole subtree (a sheet leaving the report).
    void ForgetSheet(const CReportSheet* sheet);
    // Empties the sheet lists of this node and its whole subtree (every sheet of the report is going).
    void ForgetAllSheets();

    // Appends a child that the node then owns; its index, -1 for null.
    int AddChild(CTableContent* child);

    CFolivox* GetManager() const { return m_pManager; }
    CzorInstance* GetInstance() const { return m_pInstance; }
    void SetInstance(CzorInstance* instance) { m_pInstance = instance; }
    const std::string& GetTitle() const { return m_Title; }
    void SetTitle(const std::string& title) { m_Title = title; }
    const CTypedPtrArray<CTableContent>& GetChildren() const { return m_Children; }
    const CTypedPtrArray<CReportSheet>& GetSheets() const { return m_Sheets; }

private:
    void DeleteChildren();
    // Reads the node and its subtree; an instance already in seen (a cycle or a shared child in a damaged
    // file) is not read again.
    void Read(std::unordered_set<const CzorInstance*>& seen);

    CFolivox* m_pManager;
    CzorInstance* m_pInstance = nullptr;
    std::string m_Title;
    CTypedPtrArray<CTableContent> m_Children;
    CTypedPtrArray<CReportSheet> m_Sheets;
};

// One heading level of a contents element.
class CTableContentTitleLevel {
public:
    explicit CTableContentTitleLevel(CFolivox* manager);

    // write: stores indent and font (creating the level's and the font's instances when missing);
    // read: reads them back (only with an instance; an absent value leaves its field as it was).
    void Update(bool write);

    // Indent of the level's headings, millimetres (default 5.0).
    double GetIndent() const { return m_dIndent; }
    void SetIndent(double indent) { m_dIndent = indent; }
    const LOGFONT& GetFont() const { return m_Font; }
    void SetFont(const LOGFONT& font) { m_Font = font; }
    CzorInstance* GetInstance() const { return m_pInstance; }
    void SetInstance(CzorInstance* instance) { m_pInstance = instance; }
    CFolivox* GetManager() const { return m_pManager; }

private:
    double m_dIndent = 5.0;
    LOGFONT m_Font;
    CzorInstance* m_pInstance = nullptr;
    CFolivox* m_pManager;
};

// The heading levels of a contents element, in depth order; owns them.
class CTableContentTitle {
public:
    explicit CTableContentTitle(CFolivox* manager);
    ~CTableContentTitle();
    CTableContentTitle(const CTableContentTitle&) = delete;
    CTableContentTitle& operator=(const CTableContentTitle&) = delete;

    // write: stores every level and their list (creating the title's instance when missing); read:
    // appends one level per stored level instance, read from it (only with an instance).
    void Update(bool write);

    // A new level of the title's manager with the default indent and font, appended.
    CTableContentTitleLevel* AddLevel();
    // Deletes the level at the index (or that level) and closes the gap; nothing for one not held.
    void DelLevel(int index);
    void DelLevel(CTableContentTitleLevel* level);
    // Deletes the store instances of every level (and its font) and the title's own; the objects stay
    // and forget them.
    void Delete();

    int GetLevelCount() const { return m_Levels.GetSize(); }
    CTableContentTitleLevel* GetLevel(int index) const { return m_Levels.GetAt(index); }
    CzorInstance* GetInstance() const { return m_pInstance; }
    void SetInstance(CzorInstance* instance) { m_pInstance = instance; }

private:
    CzorInstance* m_pInstance = nullptr;
    CFolivox* m_pManager;
    CTypedPtrArray<CTableContentTitleLevel> m_Levels;
};


// Fonts that the contents and table kinds keep in a zor_font instance that attr of owner refers to.
// Put writes the font there, creating and linking the instance when there is none (or it is no zor_font);
// Get reads it (true) or leaves font as it was when there is none (false); Delete removes the instance.
void PutFontInstance(CFolivox* manager, CzorInstance* owner, CzorAttr* attr, const LOGFONT& font);
bool GetFontInstance(CFolivox* manager, CzorInstance* owner, CzorAttr* attr, LOGFONT& font);
void DeleteFontInstance(CFolivox* manager, CzorInstance* owner, CzorAttr* attr);
