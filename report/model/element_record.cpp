// The base element record: kind, x, y, width, height, line width, the text-value record, the name.
#include "report/model/mem_record.h"
#include "report/model/report_element.h"

int CReportElement::GetMemSize() { return 24 + m_TextValue.GetMemSize() + RecordStringSize(m_Name); }

void CReportElement::CopyToMem(CRecordWriter& out) {
    out.PutInt32(m_nKind);
    out.PutInt32(m_x);
    out.PutInt32(m_y);
    out.PutInt32(m_cx);
    out.PutInt32(m_cy);
    out.PutInt32(m_nLineWidth);
    m_TextValue.CopyToMem(out);
    out.PutString(m_Name);
}

bool CReportElement::LoadDataFromMem(CRecordReader& in) {
    int32_t x = 0, y = 0, cx = 0, cy = 0, lineWidth = 0;
    in.GetInt32(x);
    in.GetInt32(y);
    in.GetInt32(cx);
    in.GetInt32(cy);
    in.GetInt32(lineWidth);
    if (in.Failed()) return false;
    CTextValue text = m_TextValue;
    std::string name;
    if (!text.LoadDataFromMem(in) || !in.GetString(name)) return false;
    m_x = x;
    m_y = y;
    m_cx = cx;
    m_cy = cy;
    m_nLineWidth = lineWidth;
    m_TextValue = text;
    m_Name = name;
    return true;
}
