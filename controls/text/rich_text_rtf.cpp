#include "controls/text/rich_text_rtf.h"

#include <cmath>

#include <QTextBlock>
#include <QTextList>

namespace zor {

RtfCharFormat ToRtf(const QTextCharFormat& f, const QFont& documentFont) {
    RtfCharFormat r;
    const QStringList families = f.hasProperty(QTextFormat::FontFamilies) ? f.fontFamilies().toStringList() : QStringList();
    r.face = (families.isEmpty() ? documentFont.family() : families.first()).toStdString();
    const double points = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : documentFont.pointSizeF();
    r.sizeTwips = static_cast<int>(std::lround(points * 20));
    r.bold = f.fontWeight() >= QFont::Bold;
    r.italic = f.fontItalic();
    r.underline = f.fontUnderline();
    r.strike = f.fontStrikeOut();
    if (f.hasProperty(QTextFormat::ForegroundBrush)) {
        const QColor c = f.foreground().color();
        r.color = RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
    }
    r.offsetTwips = f.intProperty(kPropOffsetTwips);
    if (f.hasProperty(kPropCharset))
        r.charset = f.intProperty(kPropCharset);
    return r;
}

void SetOffset(QTextCharFormat& f, int offsetTwips, int sizeTwips) {
    f.setProperty(kPropOffsetTwips, offsetTwips);
    f.setBaselineOffset(sizeTwips > 0 ? offsetTwips * 100.0 / sizeTwips : 0.0);
}

QTextCharFormat FromRtf(const RtfCharFormat& r) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{QString::fromStdString(r.face)});
    f.setFontPointSize(r.sizeTwips / 20.0);
    f.setFontWeight(r.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(r.italic);
    f.setFontUnderline(r.underline);
    f.setFontStrikeOut(r.strike);
    if (r.color)
        f.setForeground(QColor(GetRValue(*r.color), GetGValue(*r.color), GetBValue(*r.color)));
    f.setProperty(kPropCharset, r.charset);
    SetOffset(f, r.offsetTwips, r.sizeTwips);
    return f;
}

RtfDocument ExportRtf(const QTextDocument& doc, int from, int to) {
    RtfDocument out;
    const QFont font = doc.defaultFont();
    for (QTextBlock b = doc.findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        RtfParagraph p;
        const QTextBlockFormat bf = b.blockFormat();
        const Qt::Alignment h = bf.alignment() & Qt::AlignHorizontal_Mask;
        p.format.align = h & Qt::AlignHCenter ? RtfAlign::Center : h & Qt::AlignRight ? RtfAlign::Right : RtfAlign::Left;
        p.format.bullet = b.textList() != nullptr;
        p.format.startIndentTwips = bf.intProperty(kPropStartIndent);
        p.format.offsetTwips = bf.intProperty(kPropHangingOffset);
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const int start = std::max(frag.position(), from);
            const int end = std::min(frag.position() + frag.length(), to);
            if (start >= end)
                continue;
            const RtfCharFormat f = ToRtf(frag.charFormat(), font);
            const std::string text = frag.text().mid(start - frag.position(), end - start).toStdString();
            if (!p.runs.empty() && p.runs.back().format == f)
                p.runs.back().text += text;
            else
                p.runs.push_back({f, text});
        }
        out.paragraphs.push_back(std::move(p));
        if (b.position() + b.length() > to)
            break;
    }
    if (out.paragraphs.empty())
        out.paragraphs.emplace_back();
    return out;
}

void SetBullet(QTextCursor& cursor, bool on) {
    QTextBlock block = cursor.block();
    if (QTextList* list = block.textList(); list && !on) {
        list->remove(block);
        QTextBlockFormat plain = block.blockFormat();
        plain.setIndent(0);
        cursor.setBlockFormat(plain);
    } else if (!list && on) {
        if (QTextList* previous = block.previous().textList())
            previous->add(block);
        else
            cursor.createList(QTextListFormat::ListDisc);
    }
}

void InsertRtf(QTextCursor& cursor, const RtfDocument& rtf) {
    for (size_t i = 0; i < rtf.paragraphs.size(); ++i) {
        const RtfParagraph& p = rtf.paragraphs[i];
        if (i > 0)
            cursor.insertBlock();
        QTextBlockFormat bf;
        bf.setAlignment(p.format.align == RtfAlign::Center ? Qt::AlignHCenter
                        : p.format.align == RtfAlign::Right ? Qt::AlignRight : Qt::AlignLeft);
        bf.setProperty(kPropStartIndent, p.format.startIndentTwips);
        bf.setProperty(kPropHangingOffset, p.format.offsetTwips);
        cursor.mergeBlockFormat(bf);
        SetBullet(cursor, p.format.bullet);
        for (const RtfRun& r : p.runs)
            cursor.insertText(QString::fromStdString(r.text), FromRtf(r.format));
    }
}

}  // namespace zor
