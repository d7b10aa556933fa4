#pragma once
// The widgets of the work settings (179), page set-up (154) and export (205) dialogs: thin views over the
// logic of settings_logic.h. Every control's object name is its control id ("1103", "1045", ...); OK and
// Cancel are "1" and "2". Each dialog's logic is reachable for the caller and for tests.
#include <QDialog>

#include "designer/settings_dialogs/settings_logic.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace quillmark {

class CWorkSettingsDialog : public QDialog {
public:
    explicit CWorkSettingsDialog(QWidget* parent = nullptr);
    CWorkSettingsLogic& Logic() { return m_logic; }
    // OK's work: the fields into the logic, validated and written to the profile.
    bool OnOk();

private:
    void ShowFields();
    CWorkSettingsLogic m_logic;
    QLineEdit* m_lineWidth;
    QCheckBox* m_createFixed;
    QLineEdit* m_stickSize;
    QCheckBox* m_oneScaleDot;
    QCheckBox* m_oneScaleReport;
    QCheckBox* m_fitPictures;
    QCheckBox* m_keepProportions;
};

class CPageSetupDialog : public QDialog {
public:
    CPageSetupDialog(const CPageSetupData& data, QWidget* parent = nullptr);
    CPageSetupLogic& Logic() { return m_logic; }
    // The page as OK left it (the data given until then).
    const CPageSetupData& Data() const { return m_data; }
    bool OnOk();

private:
    void ShowSizes();
    void ShowOrientation();
    CPageSetupData m_data;
    CPageSetupLogic m_logic;
    QComboBox* m_size;
    QLineEdit* m_width;
    QLineEdit* m_height;
    QRadioButton* m_landscape;
    QRadioButton* m_portrait;
    QLabel* m_icon1;
    QLabel* m_icon2;
    QLineEdit* m_margins[4];  // left, top, right, bottom
    QCheckBox* m_fit;
    QCheckBox* m_split;
};

class CExportDialog : public QDialog {
public:
    explicit CExportDialog(QWidget* parent = nullptr);
    CExportDialogLogic& Logic() { return m_logic; }
    // The logic's folder and prefix shown again (after the caller filled them).
    void ShowFields();
    bool OnOk();

private:
    void Browse();
    CExportDialogLogic m_logic;
    QLineEdit* m_folder;
    QLineEdit* m_prefix;
    QComboBox* m_type;
};

// The orientation pictures of ours (kIconPortrait, kIconLandscape): a sheet with a fold and lines of text.
QPixmap OrientationPicture(int iconId);

}  // namespace quillmark
