#include "report/model/element_factory.h"

#include "platform/zordata/zordata.h"
#include "report/model/mem_record.h"
#include "report/model/page_reference_element.h"
#include "report/model/picture_element.h"
#include "report/model/report_element.h"
#include "report/model/table_content_element.h"
#include "report/model/table_element.h"
#include "report/model/table_map_element.h"

CReportElement* NewReportElement(int kind, CFolivox* manager) {
    switch (kind) {
    case kElemLine:
    case kElemRect: {
        auto* element = new CReportElement(manager);
        element->SetKind(kind);
        return element;
    }
    case kElemPicture:
        return new CPictureElement(manager);
    case kElemTable:
        return new CTableElement(manager);
    case kElemTableMap:
        return new CTableMapElement(manager);
    case kElemTableContent:
        return new CTableContentElement(manager);
    case kElemPageReference:
        return new CPageReferenceElement(manager);
    default:
        // Kinds 2 and 4 are not in use; anything else is no kind at all.
        return nullptr;
    }
}

CzorEntity* ElementEntityOfKind(const CReportSchema& s, int kind) {
    switch (kind) {
    case kElemLine: return s.e_zor_report_line;
    case kElemTable: return s.e_zor_report_table;
    case kElemTableMap: return s.e_zor_report_map;
    case kElemPicture: return s.e_zor_report_pic;
    case kElemTableContent: return s.e_zor_table_content_element;
    case kElemPageReference: return s.e_zor_reference_element;
    default: return s.e_zor_report_rect;
    }
}

int ElementKindOfInstance(const CReportSchema& s, CzorStepData& store, const CzorInstance* instance) {
    // In the order of the entities' precedence: the first match decides.
    const struct {
        CzorEntity* entity;
        int kind;
    } kinds[] = {
        {s.e_zor_report_table, kElemTable},
        {s.e_zor_report_map, kElemTableMap},
        {s.e_zor_report_pic, kElemPicture},
        {s.e_zor_table_content_element, kElemTableContent},
        {s.e_zor_reference_element, kElemPageReference},
        {s.e_zor_report_line, kElemLine},
        {s.e_zor_report_rect, kElemRect},
    };
    for (const auto& k : kinds)
        if (k.entity && store.IsKindOf(instance, k.entity)) return k.kind;
    return kElemRect;
}

CReportElement* ReadElementRecord(CRecordReader& in, CFolivox* manager) {
    int32_t kind = 0;
    if (!in.GetInt32(kind)) return nullptr;
    // A continuation or page reference pastes from the base record alone: unbound, of its own kind.
    CReportElement* element = NewReportElement(kind, manager);
    if (!element) return nullptr;
    if (!element->LoadDataFromMem(in)) {
        delete element;
        return nullptr;
    }
    return element;
}
