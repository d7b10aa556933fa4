#pragma once
// A report manager attached to a store that holds the report dictionary, with fixed text metrics and a
// message recorder, and helpers that build and read a template the way the program does.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/gdi/fixed_text_measurer.h"
#include "platform/ui/messages.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/tests/model/template_lists.h"

namespace model_test {

// Fixed metrics in which a character of a 72-point font (lfHeight 720, em 254) is 10 units wide.
inline CFixedMetrics TenUnitMetrics() {
    CFixedMetrics m;
    m.charWidth = 10.0 / 254.0;
    return m;
}

// A Cyrillic font of the face with that height (tenths of a point), weight and style.
inline LOGFONT Font(int height, int weight, uint8_t italic, const char* face, uint8_t underline = 0,
                    uint8_t strike = 0) {
    LOGFONT f;
    f.lfHeight = height;
    f.lfWeight = weight;
    f.lfItalic = italic;
    f.lfUnderline = underline;
    f.lfStrikeOut = strike;
    f.lfCharSet = RUSSIAN_CHARSET;
    f.SetFaceName(face);
    return f;
}

inline LOGFONT TenUnitFont() {
    LOGFONT f;
    f.lfHeight = 720;
    f.SetFaceName("Arial");
    return f;
}

// A store with the dictionary loaded and a manager attached to it.
struct AttachedModel {
    AttachedModel() {
        loaded = store.LoadDictionary(QM_DICT_DIR "/quillmark");
        manager.Attach(&store, QM_DICT_DIR);
    }
    CzorStepDataWithFile store;
    CFolivox manager;
    bool loaded = false;
};

// The model with the measurer in force (the Qt one unless a test installs another).
class ModelBase : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(model.loaded) << model.store.GetLastErrorDescription();
    }

    CzorStepDataWithFile& Store() { return model.store; }
    CFolivox& Manager() { return model.manager; }
    const CReportSchema& S() { return model.manager.Schema(); }

    // A sheet owned by the manager, loaded (so its elements are kept and written).
    CReportSheet* NewSheet() { return AddPage(Manager()); }
    // A rectangle element added to sheet.
    CReportElement* NewRect(CReportSheet* sheet, CPoint origin, CSize size, const std::string& text = {}) {
        CReportElement* e = sheet->CreateReportElem(origin, size, kElemRect);
        if (!text.empty()) e->GetTextValue().SetText(text);
        sheet->Add(e);
        return e;
    }
    CReportElement* NewLine(CReportSheet* sheet, CPoint from, CSize vector) {
        CReportElement* e = sheet->CreateReportElem(from, vector, kElemLine);
        sheet->Add(e);
        return e;
    }
    CReportParam* NewParam(const std::string& name, int type, const std::string& text = {}) {
        auto* p = new CReportParam(&Manager());
        p->SetName(name);
        p->SetParam(text, type);
        Manager().GetParams().Add(p);
        return p;
    }

    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink scopedSink{&messages};
    AttachedModel model;
};

// The model measuring with fixed metrics.
class ModelTest : public ModelBase {
protected:
    CFixedTextMeasurer measurer{TenUnitMetrics()};
    CScopedTextMeasurer scopedMeasurer{measurer};
};

// Writes what the program writes on saving: every parameter, every sheet, and a zor_report root that lists
// them.
void WriteReport(CFolivox& manager);
// Reads a store the way the program opens a document: parameters, then one sheet per sheet instance named
// by position, each loaded.
void ReadReport(CFolivox& manager);

}  // namespace model_test
