#pragma once
// The column header of the tree-list: it paints its sections itself with an optional image per
// column (the sort arrows), shows a column's whole title in a title tip while the mouse rests
// inside the column, and can scale its column widths to the width of its parent.
#include <map>
#include <memory>

#include <QHeaderView>

class CImageList;
class CzorTitleTip;

class CzorTreeListHeaderCtrl : public QHeaderView {
    Q_OBJECT
public:
    explicit CzorTreeListHeaderCtrl(QWidget* parent = nullptr);
    ~CzorTreeListHeaderCtrl() override;

    // The list is not owned. Returns the previous one.
    CImageList* SetImageList(CImageList* list);
    CImageList* GetImageList() const { return m_pImageList; }
    // -1 for a column without an image.
    int GetItemImage(int column) const;
    void SetItemImage(int column, int image);

    // Switching on scales every column to the parent's width at once; switching off changes none.
    void SetAutofit(bool on);
    bool IsAutofit() const { return m_bAutofit; }
    // Scales all columns but `exceptColumn` (-1: none) to the parent's width less `exceptWidth`.
    void Autofit(int exceptColumn, int exceptWidth);

    CzorTitleTip* TitleTip() const { return m_tip.get(); }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    std::map<int, int> m_itemImages;
    CImageList* m_pImageList = nullptr;
    std::unique_ptr<CzorTitleTip> m_tip;
    QPoint m_lastMouse{-1, -1};
    int m_pressed = -1;
    bool m_bAutofit = false;
};
