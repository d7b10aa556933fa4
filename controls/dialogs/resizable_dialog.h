#pragma once
// The base of the dialogs the user may resize. A derived dialog places its controls absolutely,
// calls this class's OnInitDialog first in its own, and anchors each control there: on every
// resize the control's corners keep their distances to their anchor points. The dialog cannot be
// made smaller than the size it opened at, shows a size grip, and can keep its placement in the
// profile.
#include <string>

#include <QDialog>

#include "controls/dialogs/anchor_layout.h"

class QSizeGrip;
class QTreeWidgetItem;
using HTREEITEM = QTreeWidgetItem*;

// Tree expansion actions passed to the owner hooks; a program may also ask the tree to toggle.
enum : unsigned { TVE_COLLAPSE = 1, TVE_EXPAND = 2, TVE_TOGGLE = 3 };

class CzorResizableDialog : public QDialog {
    Q_OBJECT
public:
    explicit CzorResizableDialog(QWidget* parent = nullptr);
    // `templateId` becomes the dialog's object name, so tests find dialogs by their numbers.
    CzorResizableDialog(unsigned templateId, QWidget* parent);
    ~CzorResizableDialog() override;

    // Hooks through which an owned tree-list reports to its dialog; the base does nothing.
    virtual bool Expand(HTREEITEM item, unsigned action);
    virtual bool Expand(unsigned action);
    virtual bool Expanded(HTREEITEM item, unsigned action);
    virtual void RefreshAllItems();
    virtual void Sort(int column);
    virtual void RefreshItem(HTREEITEM item);
    virtual void UpdateUserData();

    void AddAnchor(QWidget* control, CSize topLeft, CSize bottomRight = ANCHOR_NONE);
    // Looks the control up by its number (its object name).
    void AddAnchor(unsigned controlId, CSize topLeft, CSize bottomRight = ANCHOR_NONE);
    bool ModifyAnchor(QWidget* control);

    void ShowSizeGrip(bool show);
    void SetMinTrackSize(const CSize& size);
    void ResetMinTrackSize();
    void SetMaxTrackSize(const CSize& size);
    void ResetMaxTrackSize();
    // Where the dialog goes when maximised. The window manager has the last word on X11: most
    // honour the geometry a maximised window asks for, some keep it full-screen.
    void SetMaximizedRect(const CRect& rect);
    void ResetMaximizedRect();
    // Stores the profile names and restores the placement saved under them at once.
    void EnableSaveRestore(const std::string& section, const std::string& entry);

    bool IsInitialized() const { return m_initialized; }
    CRect GripRectangle() const { return m_grip; }
    // Whether a client point is on the size grip.
    bool HitTestGrip(const CPoint& point) const;
    const zor::CAnchorLayout& Layout() const { return m_layout; }

protected:
    // Runs before the dialog is first shown (and again after it was closed and is shown anew).
    // Derived dialogs call it first, then add their anchors.
    virtual bool OnInitDialog();

    void setVisible(bool visible) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void done(int result) override;

private:
    void Construct();
    void ArrangeLayout();
    void UpdateGripPos();
    void ApplyLimits();
    void ApplyMaximizedRect();
    void SaveWindowRect();
    void LoadWindowRect();
    void Teardown();

    zor::CAnchorLayout m_layout;
    bool m_initialized = false;
    bool m_useMinTrack = true;
    CSize m_minTrack;
    bool m_useMaxTrack = false;
    CSize m_maxTrack;
    bool m_useMaxRect = false;
    CRect m_maxRect;
    bool m_showGrip = true;
    CRect m_grip;
    CSize m_gripSize;
    QSizeGrip* m_gripWidget = nullptr;
    bool m_saveRestore = false;
    std::string m_section, m_entry;
};
