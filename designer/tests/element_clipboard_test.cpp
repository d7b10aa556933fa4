// The element clipboard: the block's envelope and records in selection order, the round trip through the
// clipboard, the pasted group's corner on the click, and forged blocks that must paste nothing (run under
// the address sanitizer too).
#include <gtest/gtest.h>

#include <cstring>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "controls/tests/gui_test_app.h"
#include "designer/edit/element_clipboard.h"
#include "platform/ui/messages.h"
#include "report/model/bound_rect.h"
#include "report/model/mem_record.h"
#include "report/model/table_content_element.h"
#include "report/tests/model/model_fixture.h"

namespace {

using quillmark::BlockReadStatus;

int32_t Int32At(const std::vector<uint8_t>& block, size_t offset) {
    int32_t value = 0;
    std::memcpy(&value, block.data() + offset, 4);  // little-endian host, as the block
    return value;
}

class ElementClipboard : public model_test::ModelBase {
protected:
    void SetUp() override {
        ModelBase::SetUp();
        EnsureGuiApplication();
        sheet = NewSheet();
    }

    quillmark::EditorContext Context(bool editRight = true) {
        quillmark::EditorContext ctx;
        ctx.sheet = sheet;
        ctx.hasRight = [editRight](int, bool) { return editRight; };
        ctx.changed = [this] { ++changes; };
        return ctx;
    }

    // A block of the given elements, as copy makes it.
    std::vector<uint8_t> Block(const std::vector<CReportElement*>& elements) {
        std::vector<uint8_t> block;
        EXPECT_TRUE(quillmark::BuildElementBlock(elements, 4242, block));
        return block;
    }

    CReportSheet* sheet = nullptr;
    int changes = 0;
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink{&messages};
};

TEST_F(ElementClipboard, EnvelopeHoldsProcessCountAndRecordsInSelectionOrder) {
    CReportElement* text = NewRect(sheet, {100, -300}, {400, 200}, "Итого");
    CReportElement* line = NewLine(sheet, {50, -50}, {300, 0});
    // Selection order, not drawing order.
    const std::vector<uint8_t> block = Block({line, text});
    EXPECT_EQ(block.size(), 8u + line->GetMemSize() + text->GetMemSize());
    EXPECT_EQ(Int32At(block, 0), 4242);
    EXPECT_EQ(Int32At(block, 4), 2);
    EXPECT_EQ(Int32At(block, 8), kElemLine);
    EXPECT_EQ(Int32At(block, 8 + line->GetMemSize()), kElemRect);

    std::vector<std::unique_ptr<CReportElement>> read;
    ASSERT_EQ(quillmark::ReadElementBlock(block.data(), block.size(), &Manager(), read), BlockReadStatus::Complete);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0]->GetKind(), kElemLine);
    EXPECT_EQ(read[0]->GetOrigin(), CPoint(50, -50));
    EXPECT_EQ(read[0]->GetSize(), CSize(300, 0));
    EXPECT_EQ(read[1]->GetKind(), kElemRect);
    EXPECT_EQ(read[1]->GetTextValue().GetText(), "Итого");
    EXPECT_EQ(read[1]->GetSize(), CSize(400, 200));
}

TEST_F(ElementClipboard, TableOfContentsPastesAsTextRectangle) {
    auto* contents = new CTableContentElement(&Manager());
    contents->SetOrigin({100, -500});
    contents->SetSize({800, 400});
    sheet->Add(contents);
    const std::vector<uint8_t> block = Block({contents});
    std::vector<std::unique_ptr<CReportElement>> read;
    ASSERT_EQ(quillmark::ReadElementBlock(block.data(), block.size(), &Manager(), read), BlockReadStatus::Complete);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0]->GetKind(), kElemRect);
    EXPECT_EQ(read[0]->GetSize(), CSize(800, 400));
}

TEST_F(ElementClipboard, UnknownKindEndsThePasteKeepingWhatCameBefore) {
    CReportElement* a = NewRect(sheet, {100, -300}, {400, 200}, "a");
    CReportElement* b = NewRect(sheet, {100, -600}, {400, 200}, "b");
    std::vector<uint8_t> block = Block({a, b});
    // The second record's kind becomes one no element has.
    const int32_t unknown = 4;
    std::memcpy(block.data() + 8 + a->GetMemSize(), &unknown, 4);
    std::vector<std::unique_ptr<CReportElement>> read;
    EXPECT_EQ(quillmark::ReadElementBlock(block.data(), block.size(), &Manager(), read), BlockReadStatus::UnknownKind);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0]->GetTextValue().GetText(), "a");
}

TEST_F(ElementClipboard, ForgedBlocksPasteNothing) {
    CReportElement* a = NewRect(sheet, {100, -300}, {400, 200}, "первый");
    CReportElement* b = NewLine(sheet, {50, -50}, {300, 0});
    const std::vector<uint8_t> good = Block({a, b});
    auto withInt = [&](size_t offset, int32_t value) {
        std::vector<uint8_t> block = good;
        std::memcpy(block.data() + offset, &value, 4);
        return block;
    };
    // The text's length: after the envelope, a's kind, place, size and line width, the text value's six
    // numbers and its font.
    const size_t textLength = 8 + 24 + 24 + kLogFontRecordSize;
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
    } cases[] = {
        {"empty block", {}},
        {"envelope cut short", {good.begin(), good.begin() + 6}},
        {"negative count", withInt(4, -1)},
        {"count beyond what the bytes can hold", withInt(4, 1 << 30)},
        {"one record more than there are", withInt(4, 3)},
        {"second record cut short", {good.begin(), good.end() - 3}},
        {"string longer than the block", withInt(textLength, 1 << 20)},
        {"negative string length", withInt(textLength, -5)},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<CReportElement>> read;
        // A copy of exactly the block's size, so that the sanitizer sees any read past it.
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[c.block.size() + 1]);
        std::memcpy(bytes.get(), c.block.data(), c.block.size());
        EXPECT_EQ(quillmark::ReadElementBlock(bytes.get(), c.block.size(), &Manager(), read), BlockReadStatus::Bad)
            << c.what;
        EXPECT_TRUE(read.empty()) << c.what;
    }
    // Every truncation of a good block is refused, none reads past its end.
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<std::unique_ptr<CReportElement>> read;
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[n + 1]);
        std::memcpy(bytes.get(), good.data(), n);
        EXPECT_EQ(quillmark::ReadElementBlock(bytes.get(), n, &Manager(), read), BlockReadStatus::Bad) << n;
    }
}

TEST_F(ElementClipboard, CopyAndPasteThroughTheClipboardPutsTheGroupOnTheClick) {
    CReportElement* a = NewRect(sheet, {100, -300}, {400, 200}, "a");
    CReportElement* b = NewRect(sheet, {700, -900}, {100, 50}, "b");
    for (CReportElement* e : {a, b}) sheet->Select(e, 1);
    ASSERT_TRUE(quillmark::CopyElementsToClipboard(Context()));
    EXPECT_TRUE(quillmark::ClipboardHasElements());

    CReportSheet* target = NewSheet();
    quillmark::EditorContext ctx = Context();
    ctx.sheet = target;
    CBoundArray frames;
    const double zoom = 0.5;
    const CPoint click(1000, -2000);
    ASSERT_TRUE(quillmark::PasteElementsFromClipboard(ctx, click, zoom, frames));
    ASSERT_EQ(target->GetElementCount(), 2);
    EXPECT_EQ(changes, 1);
    // Selected, with a frame each (the record carries no fixed flag: pasted elements are as new ones).
    ASSERT_EQ(target->GetSelection().GetSize(), 2);
    ASSERT_EQ(frames.GetSize(), 2);
    CReportElement* pa = target->GetElement(0);
    CReportElement* pb = target->GetElement(1);
    // The group's corner is on the click and the distances between the elements are kept.
    EXPECT_EQ(frames.GetTopLeft(zoom), click);
    EXPECT_EQ(pb->GetOrigin().x - pa->GetOrigin().x, 600);
    EXPECT_EQ(pb->GetOrigin().y - pa->GetOrigin().y, -600);
    for (CReportElement* e : {pa, pb}) EXPECT_NE(e->GetInstance(), nullptr) << "written to the store";
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(ElementClipboard, DamagedClipboardBlockIsToldAndPastesNothing) {
    auto* data = new QMimeData;
    data->setData(quillmark::kElementClipboardFormat, QByteArray("\x01\x00\x00\x00\x05\x00\x00\x00", 8));
    QGuiApplication::clipboard()->setMimeData(data);
    NewRect(sheet, {0, -100}, {10, 10});
    CBoundArray frames;
    EXPECT_FALSE(quillmark::PasteElementsFromClipboard(Context(), CPoint(0, 0), 1.0, frames));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{quillmark::kClipboardReadError});
    EXPECT_EQ(sheet->GetElementCount(), 1);
    EXPECT_EQ(changes, 0);
}

TEST_F(ElementClipboard, CopyNeedsASelectionAndTheEditRight) {
    CReportElement* a = NewRect(sheet, {0, -100}, {10, 10});
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(quillmark::CopyElementsToClipboard(Context())) << "nothing selected";
    sheet->Select(a, 1);
    EXPECT_FALSE(quillmark::CopyElementsToClipboard(Context(false)));
    EXPECT_FALSE(quillmark::ClipboardHasElements());
}

}  // namespace
