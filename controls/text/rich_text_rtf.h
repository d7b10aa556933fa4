#pragma once
// Between the rich edit's Qt document and its RTF form (rtf_document.h). What the RTF form keeps that
// a Qt format has no field for lives in user properties of the formats.
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>

#include "controls/text/rtf_document.h"

namespace zor {

enum RichTextProperty {
    kPropOffsetTwips = QTextFormat::UserProperty + 1,   // character: above 0 raised, below 0 lowered
    kPropNominalTwips = QTextFormat::UserProperty + 2,  // character: the size before raising or lowering
    kPropCharset = QTextFormat::UserProperty + 3,       // character
    kPropStartIndent = QTextFormat::UserProperty + 4,   // block, twips
    kPropHangingOffset = QTextFormat::UserProperty + 5, // block, twips
};

RtfCharFormat ToRtf(const QTextCharFormat& f, const QFont& documentFont);
QTextCharFormat FromRtf(const RtfCharFormat& f);
// The offset property and the baseline shift that draws it, for text of `sizeTwips`.
void SetOffset(QTextCharFormat& f, int offsetTwips, int sizeTwips);

// The characters from `from` to `to` of `doc`.
RtfDocument ExportRtf(const QTextDocument& doc, int from, int to);
// Inserts at the cursor, which must have no selection.
void InsertRtf(QTextCursor& cursor, const RtfDocument& rtf);
void SetBullet(QTextCursor& cursor, bool on);

}  // namespace zor
