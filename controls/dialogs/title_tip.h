#pragma once
// A frameless tip that shows the whole text of a cell or caption that does not fit, placed
// exactly over it in the tooltip colours. Clicks on it go on to the window underneath, so it
// never gets in the way; a second press at the same spot within a second goes on as a double click.
#include <QEvent>
#include <QFont>
#include <QPointer>
#include <QWidget>

#include "controls/dialogs/title_tip_rules.h"

class CzorTitleTip : public QWidget {
    Q_OBJECT
public:
    // `clock` (milliseconds) decides double clicks; the steady clock when empty.
    explicit CzorTitleTip(zor::CClickRelay::Clock clock = {});

    // `parent` receives the clicks; the tip uses its font unless SetFont gives one.
    bool Create(QWidget* parent);
    // The cell in screen coordinates; when the text fits, nothing is shown (and a tip shown over
    // another cell goes).
    void Show(const CRect& cell, const QString& text);
    void Hide();
    void SetFont(const QFont& font) { m_font = font; m_ownFont = true; }
    void SetOffsets(int x, int y) { m_offsetX = x; m_offsetY = y; }

    const QString& Text() const { return m_text; }
    // The tip's rectangle on the screen while shown; empty while hidden.
    const CRect& ShownRect() const { return m_shown; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QFont TipFont() const;
    void PassOn(QMouseEvent* event, QEvent::Type type);

    QPointer<QWidget> m_owner;
    QFont m_font;
    bool m_ownFont = false;
    int m_offsetX = 4, m_offsetY = 1;
    QString m_text;
    CSize m_cell;
    CRect m_shown;
    zor::CClickRelay m_clicks;
};
