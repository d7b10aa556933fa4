#pragma once
// The logic of the designer's work settings, page set-up and export dialogs, apart from their widgets:
// what each control shows at open, what a click changes, and what OK validates and hands back. The
// widgets (settings_dialogs.h) only copy texts and checks in and out.
#include <array>
#include <string>

#include "platform/win/geometry.h"

namespace quillmark {

// --- Work settings (dialog 179) -------------------------------------------------------------------------------

struct CWorkSettingsFields {
    std::string lineWidth;      // 1103, millimetres
    bool createFixed = false;   // 1105
    std::string stickSize;      // 1106
    bool oneScaleInDot = false;     // 1107
    bool oneScaleInReport = true;   // 1108
    bool fitPictures = false;       // 1109, PictureDrawMode bit 0
    bool keepProportions = false;   // 1110, PictureDrawMode bit 1
};

class CWorkSettingsLogic {
public:
    // The fields as the profile holds them.
    void Load();
    CWorkSettingsFields& Fields() { return m_fields; }
    const CWorkSettingsFields& Fields() const { return m_fields; }
    // 1110 is enabled only while 1109 is checked.
    bool KeepProportionsEnabled() const { return m_fields.fitPictures; }
    // Validates every field (numbers of 0 or more; a message says what is wrong) and then writes them all
    // to the profile; false, writing nothing, when a field is refused.
    bool Apply() const;

    // LineWidth: tenths of a millimetre from the millimetres shown, truncated.
    static int LineWidthFromMillimetres(double millimetres);

private:
    CWorkSettingsFields m_fields;
};

// --- Page set-up (dialog 154) ---------------------------------------------------------------------------------

// The page as the document keeps it: dimensions and print area in tenths of a millimetre, orientation 1
// landscape, 0 portrait (the dimensions then stored the other way round), the fit and split flags.
struct CPageSetupData {
    int first = 2970;
    int second = 2100;
    int orientation = 0;
    CRect printArea{0, 0, 2970, 2100};
    bool fitToPage = false;
    bool splitToA4 = false;
};

// Portrait and landscape pictures of ours shown beside the orientation buttons.
inline constexpr int kIconPortrait = 156;
inline constexpr int kIconLandscape = 157;

class CPageSetupLogic {
public:
    struct StandardSize {
        const char* name;
        int first;
        int second;
    };
    static const std::array<StandardSize, 5>& StandardSizes();
    static constexpr int kUserDefined = 5;  // "Определенный пользователем", the combo's last entry
    // The largest side a page may have, in millimetres.
    static constexpr int kMaxSideMillimetres = 2000;

    explicit CPageSetupLogic(const CPageSetupData& data);

    int SizeIndex() const { return m_sizeIndex; }
    bool SizeEditable() const { return m_sizeIndex == kUserDefined; }
    // Texts of the edits 1031, 1047 (millimetres) and 1117, 1116, 1118, 1119 (whole millimetres).
    std::string width, height;
    std::string marginLeft, marginTop, marginRight, marginBottom;
    bool fitToPage = false;
    bool splitToA4 = false;
    bool Landscape() const { return m_landscape; }
    int OrientationIcon() const { return m_landscape ? kIconLandscape : kIconPortrait; }

    // A combo entry chosen: a standard one sets both sizes, the last keeps them and makes them editable.
    void ChooseSize(int index);
    void SetLandscape(bool landscape) { m_landscape = landscape; }

    // Validates (sizes above 0 and at most kMaxSideMillimetres, margins whole millimetres of 0 or more
    // leaving a print area; a message says what is wrong) and fills data; false leaves data alone.
    bool Apply(CPageSetupData& data) const;

private:
    int m_sizeIndex = kUserDefined;
    bool m_landscape = true;
};

// --- Export (dialog 205) --------------------------------------------------------------------------------------

class CExportDialogLogic {
public:
    static const std::array<const char*, 5>& FileTypes();  // combo 1114

    std::string folder;  // 1110
    std::string prefix;  // 1112
    int typeIndex = 0;   // the first type is selected at open; -1 for none
    // The folder and prefix of a document's path: the folder up to and including its last "/", the name
    // without its extension. Nothing for a path without a folder.
    void FillFromDocumentPath(const std::string& path);
    // A folder picked with the folder picker replaces the text.
    void FolderPicked(const std::string& picked) { folder = picked; }
    // "Не выбран тип файлов." and false without a type; else the type is taken.
    bool Accept();
    const std::string& Type() const { return m_type; }

private:
    std::string m_type;
};

}  // namespace quillmark
