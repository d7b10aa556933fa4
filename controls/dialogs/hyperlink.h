#pragma once
// A label that is a link: drawn in the link colours (normal, active, visited, hover), with a hand
// cursor and a tooltip showing the target, fitted to its text, and opening its target through
// the desktop when clicked or when Space is pressed.
#include <string>

#include <QCursor>
#include <QLabel>

#include "controls/dialogs/hyperlink_rules.h"

class CzorHyperLink : public QLabel {
    Q_OBJECT
public:
    static constexpr uint32_t StyleUnderline = zor::StyleUnderline;
    static constexpr uint32_t StyleUseHover = zor::StyleUseHover;
    static constexpr uint32_t StyleAutoSize = zor::StyleAutoSize;
    static constexpr uint32_t StyleDownClick = zor::StyleDownClick;
    static constexpr uint32_t StyleGetFocusOnClick = zor::StyleGetFocusOnClick;
    static constexpr uint32_t StyleNoHandCursor = zor::StyleNoHandCursor;
    static constexpr uint32_t StyleNoActiveColor = zor::StyleNoActiveColor;

    // Shared by all links.
    static COLORREF g_crLinkColor, g_crActiveColor, g_crVisitedColor, g_crHoverColor;

    explicit CzorHyperLink(QWidget* parent = nullptr);
    // A label with its text and target, set up at once.
    CzorHyperLink(const QString& text, const std::string& url, QWidget* parent = nullptr);

    // Takes the label over: the target and the text default to each other, the font takes the
    // underline, the label is fitted, and the cursor and tooltip are set.
    void PreSubclassWindow();

    void SetURL(const std::string& url);
    const std::string& GetURL() const { return m_url; }
    void SetWindowText(const QString& text);
    void SetFont(const QFont& font);
    void SwitchUnderline();
    bool ModifyLinkStyle(uint32_t remove, uint32_t add, bool apply = true);
    uint32_t GetLinkStyle() const { return m_style; }
    void SetVisited(bool visited = true);
    bool IsVisited() const { return m_visited; }
    bool IsOver() const { return m_over; }
    bool IsActive() const { return m_active; }
    COLORREF TextColor() const;

    // A hover colour of -1 takes the system highlight colour.
    static void SetColors(COLORREF link, COLORREF active, COLORREF visited, COLORREF hover = static_cast<COLORREF>(-1));
    static void SetColors(const HYPERLINKCOLORS& colors);
    static void GetColors(HYPERLINKCOLORS& colors);
    // Null restores the hand.
    static void SetLinkCursor(const QCursor* cursor);
    static QCursor GetLinkCursor();

    void FollowLink();
    // Greater than 32 on success.
    static int GotoURL(const std::string& url, int showCommand = 1);
    // Replaces the desktop's opening for tests; an empty launcher restores it.
    static void SetLauncher(const zor::LinkLauncher& launcher);
    static void ReportError(int code);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void AdjustWindow();
    void ApplyFont(QFont font);
    void Refresh();

    std::string m_url;
    bool m_over = false;
    bool m_visited = false;
    bool m_active = false;
    uint32_t m_style = zor::kDefaultLinkStyle;
};
