#pragma once
// A thin bar between two sibling panes of a parent widget; dragging it moves their boundary. Unlike
// Qt's splitter it neither owns nor lays out the panes: it only fits their facing edges to itself.
#include <QPointer>
#include <QWidget>

#include "controls/bars/splitter_rules.h"

class CzorSplitterBar : public QWidget {
    Q_OBJECT
public:
    // The number of both the message and the command the parent gets after a drop.
    static constexpr int kMovedId = 2024;

    CzorSplitterBar() = default;
    ~CzorSplitterBar() override;

    // The bar at `rect` in the parent; the limits start as the parent's client area.
    bool Create(const QRect& rect, QWidget* parent, int id, bool horizontal);
    void SetPanes(QWidget* first, QWidget* second);
    void MovePanes();
    void SetSizes(const QRect& first, const QRect& second);
    bool IsCursorOverSplitter(const QPoint& screenPoint) const;
    // The drag rectangle at a point of the parent; `dragging` false removes it.
    void DrawDraggingBar(const QPoint& point, bool dragging = true);

    bool IsHorizontal() const { return m_rules.horizontal; }
    bool IsDragging() const { return m_dragging; }
    zor::SplitterLimits Limits() const { return m_limits; }
    // The rectangle last drawn while dragging, in the parent's coordinates.
    QRect LastDragRect() const;

signals:
    // Sent to the parent in this order once a drop has fitted the panes.
    void message(int msg, int wParam, int lParam);
    void command(int id);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    zor::SplitterRules m_rules;
    QPointer<QWidget> m_first, m_second;
    bool m_dragging = false;
    CRect m_dragStart, m_lastDrag;
    zor::SplitterLimits m_limits;
    // Qt paints no XOR over siblings: the drag rectangle is a child of the parent, raised above them.
    QPointer<QWidget> m_dragOverlay;
};
