#pragma once
// CQuillmarkView: the scrolling window in which one sheet of the open report is drawn and edited, one per
// report window. It places the page, draws it and its elements at the zoom, and turns the mouse, the wheel,
// keys, context menus and drops into the editor's operations (CViewEditor) and the document's commands.
//
// The window's pixels map onto the page through the view's own context mapping: tenths of a millimetre at
// the screen's resolution, y upward, the page's upper left corner at (0, 0) of the page-logical space.
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <QAbstractScrollArea>

#include "designer/edit/element_commands.h"
#include "designer/frame/command_table.h"
#include "designer/view/view_editor.h"
#include "designer/view/view_geometry.h"

class CReportSheet;
class QMimeData;

namespace quillmark {

class CQuillmarkView : public QAbstractScrollArea, public IDocView {
public:
    explicit CQuillmarkView(CViewDocument& document, QWidget* parent = nullptr);
    ~CQuillmarkView() override;

    // The view owns what it reaches the document through (a view the document's factory made).
    void TakeDocument(std::unique_ptr<CViewDocument> document) { m_ownedDocument = std::move(document); }

    // What the document asks of its editor views.
    QWidget* Widget() override { return this; }
    CReportSheet* GetSheet() const override { return Sheet(); }
    // Binds the view to the sheet (null: none) without loading it.
    void SetSheet(CReportSheet* sheet) override;
    void OnInitialUpdate() override { OnInitialUpdate(Sheet()); }

    // Shows the sheet (null: none): it takes the page size, its elements are loaded, then OnUpdate.
    void OnInitialUpdate(CReportSheet* sheet);
    // Forgets the sheet without touching it (the document is about to drop it).
    void DetachSheet();
    // Caption, elements loaded, repaint.
    void OnUpdate() override;
    // The window became the active one.
    void OnActivateView();
    CReportSheet* Sheet() const { return m_editor.Sheet(); }
    CViewEditor& Editor() { return m_editor; }

    // Zoom commands.
    void FitPage();
    void ZoomOneToOne();
    // Zooms onto a rectangle in the page's own units; a rectangle without area changes nothing.
    void ZoomToRect(const CRect& rect);
    double Zoom() const { return m_editor.Zoom(); }

    void ShowProperties();
    void DeleteSelection();

    // The editor's commands on this view's sheet: alignment, format, fixing (the frame's menus and bars).
    CElementCommands ElementCommands();
    // "Копировать", "Вставить" (armed: the next click pastes), "Выделить все", "Редактировать текст".
    void CopySelection();
    void ArmPaste();
    void SelectAll();
    void EditText();

    // Page-logical point of a pixel of the window, and back.
    CPoint ToPage(QPoint pixel) const;
    QPoint ToPixel(CPoint page) const;
    PagePlacement Placement() const;

    // What a drop of these data at a window point does (the drop event's work): reports and templates open
    // once the drop has been handled, a navigator parameter becomes a text rectangle's text.
    void HandleDrop(const QMimeData& data, QPoint pixel);

    // A menu of (command, text, enabled) entries shown at a window point; the command chosen, 0 for none.
    using MenuEntry = ContextMenuItem;
    using MenuChooser = std::function<int(const std::vector<MenuEntry>&, QPoint)>;
    // Tests answer menus through this; by default a popup menu is shown.
    void SetMenuChooser(MenuChooser chooser) { m_chooser = std::move(chooser); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Pixels of the window per logical unit (a tenth of a millimetre at the screen's resolution).
    double PixelsPerUnitX() const;
    double PixelsPerUnitY() const;
    CSize ClientLogical() const;
    void UpdateScrollBars();
    void UpdateCaption();
    void Apply(const ViewOutcome& outcome);
    void SetCursorCode(int code);
    void Pan(QPoint delta);
    void RightButton(QPoint pixel);
    int ChooseFromMenu(const std::vector<MenuEntry>& entries, QPoint pixel);
    // Menu 130's "SHEET" popup, its items greyed by the program's command rules.
    int ChooseFromSheetMenu(QPoint pixel);
    // What the element menus' rules look at: this view's sheet and selection, the document's mode and rights.
    CommandState ElementMenuState() const;
    // Sets the zoom (both kinds) and keeps each scroll position's share of its range.
    void ZoomKeepingPosition(double zoom);

    std::unique_ptr<CViewDocument> m_ownedDocument;  // before the references to it
    CViewDocument& m_document;
    CViewEditor m_editor;
    QPoint m_lastPoint;
    bool m_middleDown = false;
    bool m_swallowRelease = false;
    MenuChooser m_chooser;
};

// The program's commands that an editor view carries out, each written once: the frame's registry runs them
// on the active view, the context menus on the view clicked. RunViewCommand is false for a command the view
// does not carry out; it applies no rule (the caller has).
std::span<const int> ViewCommandIds();
bool RunViewCommand(CQuillmarkView& view, int id);

}  // namespace quillmark
