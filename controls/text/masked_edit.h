#pragma once
// A single-line edit that accepts input only where and what its mask allows (edit_mask.h): literal
// positions are shown and skipped, empty input positions show the prompt. With an empty mask it is a
// plain line edit. It starts disabled and is enabled by a successful Init.
#include <string>
#include <string_view>

#include <QLineEdit>

#include "controls/text/edit_mask.h"

class CzorMaskedEdit : public QLineEdit {
public:
    explicit CzorMaskedEdit(QWidget* parent = nullptr);

    // Empty mask: plain mode, no text limit, enabled. Otherwise the mask is checked and read, the data
    // shown, the caret put on the first input position and the focus taken; on failure the text says
    // "Init failed." (unbalanced brackets) or "SetValidChars failed." and the edit stays disabled.
    bool Init(std::string_view mask, std::string_view data);
    void SetData(std::string_view data);
    std::string GetData() const;
    // Exactly one character, else false and the old prompt stays.
    bool SetPromptChar(std::string_view prompt);
    std::string GetPromptChar() const;
    int FindNextChar(int start, bool literal, bool forward) const { return m_mask.FindNextChar(start, literal, forward); }
    bool IsPlain() const { return m_plain; }
    bool IsReady() const { return m_ready; }
    int Caret() const { return m_caret; }
    // The Shift state as this edit knows it; Tab hands it to a masked neighbour.
    bool ShiftDown() const { return m_shift; }
    void SetShiftDown(bool down) { m_shift = down; }

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    zor::MaskEditState ReadState() const;
    void Show(const zor::MaskEditState& s);
    void MoveFocus(bool backward);

    zor::EditMask m_mask;
    zor::MaskEditor m_editor{m_mask};
    bool m_plain = true;
    bool m_ready = false;
    bool m_shift = false;
    int m_caret = 0;
};
