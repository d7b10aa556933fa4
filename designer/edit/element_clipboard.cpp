#include "designer/edit/element_clipboard.h"

#include <unistd.h>

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/ui/messages.h"
#include "report/model/bound_rect.h"
#include "report/model/element_factory.h"
#include "report/model/folivox.h"
#include "report/model/mem_record.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"

namespace quillmark {

namespace {

constexpr size_t kEnvelopeBytes = 8;
// The least a record can be: its kind.
constexpr size_t kMinRecordBytes = 4;

}  // namespace

bool BuildElementBlock(const std::vector<CReportElement*>& elements, int32_t processId, std::vector<uint8_t>& block) {
    block.clear();
    size_t expected = kEnvelopeBytes;
    for (CReportElement* e : elements) expected += static_cast<size_t>(std::max(0, e->GetMemSize()));
    block.reserve(expected);
    CRecordWriter out(block);
    out.PutInt32(processId);
    out.PutInt32(static_cast<int32_t>(elements.size()));
    for (CReportElement* e : elements) e->CopyToMem(out);
    if (out.Size() != expected) {
        block.clear();
        return false;
    }
    return true;
}

BlockReadStatus ReadElementBlock(const uint8_t* data, size_t size, CFolivox* manager,
                                 std::vector<std::unique_ptr<CReportElement>>& elements) {
    elements.clear();
    CRecordReader in(data, size);
    int32_t processId = 0;
    int32_t count = 0;
    // The process id is not compared: records carry no addresses.
    if (!in.GetInt32(processId) || !in.GetCount(count, kMinRecordBytes)) return BlockReadStatus::Bad;
    for (int32_t i = 0; i < count; ++i) {
        // The kind first, apart, to tell a kind no element has (the paste ends there) from a damaged record.
        CRecordReader peek(data, size, in.Position());
        int32_t kind = 0;
        if (!peek.GetInt32(kind)) {
            elements.clear();
            return BlockReadStatus::Bad;
        }
        std::unique_ptr<CReportElement> probe(NewReportElement(kind, manager));
        if (!probe) return BlockReadStatus::UnknownKind;
        std::unique_ptr<CReportElement> element(ReadElementRecord(in, manager));
        if (!element) {
            elements.clear();
            return BlockReadStatus::Bad;
        }
        elements.push_back(std::move(element));
    }
    return BlockReadStatus::Complete;
}

void PlacePastedElements(CReportSheet* sheet, std::vector<std::unique_ptr<CReportElement>>& elements, CPoint click,
                         double zoom, CBoundArray& frames) {
    if (!sheet) return;
    sheet->UnselectAll();
    frames.RemoveAll();
    for (auto& owned : elements) {
        CReportElement* element = owned.release();
        element->SetSheet(sheet);
        element->Update(true);
        sheet->Add(element);
        if (element->GetFixed() > 0) continue;
        sheet->Select(element, 1);
        auto* frame = new CBoundRect(sheet, sheet->GetManager());
        frame->StartObjOper(element, kDragMove, click, zoom);
        frames.Add(frame);
    }
    elements.clear();
    if (frames.GetSize() == 0) return;
    const CPoint corner = frames.GetTopLeft(zoom);
    const CSize shift(click.x - corner.x, click.y - corner.y);
    for (int i = 0; i < frames.GetSize(); ++i) {
        CReportElement* element = frames.GetAt(i)->GetTarget();
        if (!element) continue;
        element->Move(shift, kDragMove, zoom);
        element->Update(true);
        // The frame follows its element, so the drag that goes on from here starts where the element is.
        frames.GetAt(i)->StartObjOper(element, kDragMove, click, zoom);
    }
}

bool CopyElementsToClipboard(const EditorContext& context) {
    if (!context.sheet || context.sheet->GetSelection().GetSize() == 0) return false;
    if (!context.HasRight(kRightEdit, true)) return false;
    const auto& selection = context.sheet->GetSelection();
    std::vector<uint8_t> block;
    if (!BuildElementBlock(std::vector<CReportElement*>(selection.begin(), selection.end()),
                           static_cast<int32_t>(::getpid()), block)) {
        AfxMessageBox(kClipboardSizeError, MB_ICONSTOP);
        return false;
    }
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kElementClipboardFormat),
                  QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size())));
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

bool ClipboardHasElements() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(QString::fromLatin1(kElementClipboardFormat));
}

bool PasteElementsFromClipboard(const EditorContext& context, CPoint click, double zoom, CBoundArray& frames) {
    if (!context.sheet || !context.HasRight(kRightEdit, true)) return false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(QString::fromLatin1(kElementClipboardFormat))) return false;
    const QByteArray bytes = data->data(QString::fromLatin1(kElementClipboardFormat));
    std::vector<std::unique_ptr<CReportElement>> elements;
    if (ReadElementBlock(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()),
                         context.sheet->GetManager(), elements) == BlockReadStatus::Bad) {
        AfxMessageBox(kClipboardReadError);
        return false;
    }
    PlacePastedElements(context.sheet, elements, click, zoom, frames);
    if (context.changed) context.changed();
    return true;
}

}  // namespace quillmark
