#pragma once
// A docking bar the user resizes: it docks at any side of the main window or floats, keeps its
// own size for horizontal docking, vertical docking and floating, never gets smaller than
// 33 x 32, draws a gripper (bars, an optional caption and a close button that hides it) and
// keeps its sizes in the profile. The main window's dock layout places the bars, shares a row
// between them and drags their edges; the minimums bound both the bar and its neighbour there.
#include <string>
#include <vector>

#include <QDockWidget>

#include "controls/dialogs/sizing_bar_rules.h"

class QMainWindow;

class CSizingControlBar : public QDockWidget {
    Q_OBJECT
public:
    CSizingControlBar();
    ~CSizingControlBar() override;

    // `parent` is the main window it docks in (it is not added to a side yet); `size` becomes all
    // three sizes. The bar joins the class-wide list.
    virtual bool Create(const std::string& title, QMainWindow* parent, CSize size, bool hasGripper, unsigned id,
                        unsigned style = 0);
    virtual void LoadState(const std::string& profileName);
    virtual void SaveState(const std::string& profileName);
    static void GlobalLoadState(const std::string& profileName);
    static void GlobalSaveState(const std::string& profileName);
    static const std::vector<CSizingControlBar*>& Bars();

    bool IsFloating() const;
    bool IsHorzDocked() const;
    bool IsVertDocked() const;
    // The identifier of the side it is docked at, or 0 while floating.
    unsigned DockBarId() const;
    unsigned ControlId() const { return m_id; }

    void SetGripperOnTop(bool on) { m_gripperOnTop = on; update(); }
    void ShowCaption(bool on) { m_showCaption = on; update(); }
    bool ShowsCaption() const { return m_showCaption; }
    int GripperSize() const { return m_gripper; }
    const zor::SizingBarSizes& Sizes() const { return m_sizes; }

    // What the gripper paints (also its close button); tests and a derived bar may call it.
    QWidget* Gripper() const { return m_gripperWidget; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplySize();
    void OnPlaceChanged();

    QMainWindow* m_frame = nullptr;
    unsigned m_id = 0;
    int m_gripper = 0;
    bool m_gripperOnTop = false;
    bool m_showCaption = false;
    bool m_applying = false;
    zor::SizingBarSizes m_sizes;
    QWidget* m_gripperWidget = nullptr;
};
