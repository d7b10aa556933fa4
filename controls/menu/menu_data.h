#pragma once
// The record of one item of a CzorMenu: its text and where its picture comes from. The record's address
// is the item's owner-draw data.
#include <memory>
#include <string>

#include "controls/menu/menu_types.h"
#include "controls/resources/imagelist.h"

class CzorMenuData {
public:
    CzorMenuData() = default;
    CzorMenuData(const CzorMenuData&) = delete;
    CzorMenuData& operator=(const CzorMenuData&) = delete;

    void SetWideString(const char16_t* text) { m_text = text ? std::u16string(text) : std::u16string(); m_hasText = text; }
    void SetWideString(const std::u16string& text) { m_text = text; m_hasText = true; }
    // UTF-8 in and out.
    void SetString(const char* text);
    std::string GetString() const;
    const std::u16string& GetWideString() const { return m_text; }
    bool HasText() const { return m_hasText; }

    int xoffset = -1;         // image index within the own image list
    int global_offset = -1;   // image index within the global list
    int nID = -1;             // bitmap resource of the own image list
    UINT nFlags = 0;          // MF_ flags as last given to the menu
    uintptr_t nCommand = 0;   // command, or the popup's handle
    bool syncflag = false;    // set while the records are matched with the menu
    std::unique_ptr<CImageList> bitmap;  // own image list

private:
    std::u16string m_text;
    bool m_hasText = false;
};
