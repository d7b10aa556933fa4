#include "controls/text/masked_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/text/utf8.h"

namespace {

std::u32string ToU32(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdU32String();
}

std::string ToUtf8(std::u32string_view text) {
    std::string out;
    for (const char32_t c : text)
        zor::AppendUtf8(out, c);
    return out;
}

constexpr int kNoTextLimit = 32767;

}  // namespace

CzorMaskedEdit::CzorMaskedEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(true);
    setFocusPolicy(Qt::StrongFocus);
    setEnabled(false);
}

bool CzorMaskedEdit::Init(std::string_view mask, std::string_view data) {
    if (mask.empty()) {
        m_mask.SetValidChars({});
        m_plain = true;
        setMaxLength(kNoTextLimit);
        // A plain edit that could never be typed in would be of no use: it is enabled as well.
        setEnabled(true);
        return true;
    }
    m_plain = false;
    m_ready = false;
    const char* failure = nullptr;
    if (!zor::EditMask::Parse(mask))
        failure = "Init failed.";
    else if (!m_mask.SetValidChars(mask))
        failure = "SetValidChars failed.";
    if (failure) {
        setMaxLength(kNoTextLimit);
        QLineEdit::setText(QString::fromUtf8(failure));
        setEnabled(false);
        return false;
    }
    setMaxLength(m_mask.Size());
    SetData(data);
    setEnabled(true);
    setFocus(Qt::OtherFocusReason);
    zor::MaskEditState s = ReadState();
    const int first = m_editor.FirstInput();
    s.caret = s.selStart = s.selEnd = first >= 0 ? first : 0;
    Show(s);
    m_ready = true;
    return true;
}

void CzorMaskedEdit::SetData(std::string_view data) {
    QLineEdit::setText(QString::fromStdU32String(m_mask.BuildText(ToU32(data), m_editor.Prompt())));
}

std::string CzorMaskedEdit::GetData() const {
    return ToUtf8(m_mask.ReadData(text().toStdU32String(), m_editor.Prompt()));
}

bool CzorMaskedEdit::SetPromptChar(std::string_view prompt) {
    const std::u32string p = ToU32(prompt);
    if (p.size() != 1)
        return false;
    m_editor.SetPrompt(p[0]);
    return true;
}

std::string CzorMaskedEdit::GetPromptChar() const {
    return ToUtf8(std::u32string(1, m_editor.Prompt()));
}

zor::MaskEditState CzorMaskedEdit::ReadState() const {
    zor::MaskEditState s;
    s.text = text().toStdU32String();
    s.caret = m_caret;
    if (hasSelectedText()) {
        s.selStart = selectionStart();
        s.selEnd = s.selStart + static_cast<int>(selectedText().size());
    } else {
        s.selStart = s.selEnd = m_caret;
    }
    return s;
}

void CzorMaskedEdit::Show(const zor::MaskEditState& s) {
    const QString t = QString::fromStdU32String(s.text);
    if (t != text())
        QLineEdit::setText(t);
    m_caret = s.caret;
    if (s.HasSelection())
        setSelection(s.selStart, s.selEnd - s.selStart);
    else
        setCursorPosition(s.caret);
}

void CzorMaskedEdit::MoveFocus(bool backward) {
    if (!focusNextPrevChild(!backward))
        return;
    if (auto* next = dynamic_cast<CzorMaskedEdit*>(QApplication::focusWidget()); next && next != this)
        next->SetShiftDown(m_shift);
}

bool CzorMaskedEdit::event(QEvent* e) {
    // Tab and Shift+Tab are taken here, before the widget's own focus chain sees them.
    if (!m_plain && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            const bool backward = k->key() == Qt::Key_Backtab || m_shift || (k->modifiers() & Qt::ShiftModifier);
            MoveFocus(backward);
            return true;
        }
    }
    return QLineEdit::event(e);
}

void CzorMaskedEdit::keyPressEvent(QKeyEvent* e) {
    if (m_plain) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (e->key() == Qt::Key_Shift) {
        m_shift = true;
        return;
    }
    const bool shift = m_shift || (e->modifiers() & Qt::ShiftModifier);
    zor::MaskEditState s = ReadState();
    switch (e->key()) {
    case Qt::Key_Home: m_editor.Key(s, zor::MaskKey::Home, shift); break;
    case Qt::Key_End: m_editor.Key(s, zor::MaskKey::End, shift); break;
    case Qt::Key_Left: m_editor.Key(s, zor::MaskKey::Left, shift); break;
    case Qt::Key_Right: m_editor.Key(s, zor::MaskKey::Right, shift); break;
    case Qt::Key_Delete: m_editor.Key(s, zor::MaskKey::Delete, shift); break;
    case Qt::Key_Backspace: m_editor.Type(s, 8); break;
    default: {
        const std::u32string typed = e->text().toStdU32String();
        if (typed.size() != 1 || typed[0] < 0x20 || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return;  // keys with no rule of their own do nothing, paste included
        m_editor.Type(s, typed[0]);
        break;
    }
    }
    Show(s);
}

void CzorMaskedEdit::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Shift)
        m_shift = false;
    QLineEdit::keyReleaseEvent(e);
}

void CzorMaskedEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (!m_plain)
        selectAll();
}

void CzorMaskedEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    QLineEdit::mouseDoubleClickEvent(e);
    if (!m_plain)
        selectAll();
}

void CzorMaskedEdit::mouseReleaseEvent(QMouseEvent* e) {
    QLineEdit::mouseReleaseEvent(e);
    if (!m_plain && e->button() == Qt::LeftButton && !hasSelectedText())
        m_caret = cursorPosition();
}
