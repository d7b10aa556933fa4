#pragma once
#include <set>
// A document for the editor view's tests: the report model of the model tests with the view's document
// interface answered from plain fields, and the calls the view makes recorded.
#include <functional>
#include <string>
#include <vector>

#include "designer/view/view_document.h"
#include "report/tests/model/model_fixture.h"

namespace view_test {

class FakeDocument : public quillmark::CViewDocument {
public:
    int mode = 0;
    int tool = 0;
    double commonScale = 1.0;
    bool useCommonScale = false;
    bool showPicture = false;
    CSize pageSize{2970, 2100};
    bool readOnly = false;
    bool editRight = true;
    int changed = 0;
    std::string path = "/tmp/report.zordot";
    int sheetCount = 1;
    std::vector<CReportSheet*> shownSheets;
    std::vector<CReportSheet*> activated;
    std::vector<int> pages;
    std::vector<std::string> opened;
    std::string position;
    int properties = 0;
    bool propertiesChange = false;
    std::vector<CPoint> pastes;
    int copies = 0, selectAlls = 0, textEdits = 0;
    CReportParam* dragParam = nullptr;  // what a record "param" names

    int Mode() const override { return mode; }
    int Tool() const override { return tool; }
    void SetTool(int t) override { tool = t; }
    double CommonScale() const override { return commonScale; }
    void SetCommonScale(double zoom) override { commonScale = zoom; }
    bool UseCommonScale() const override { return useCommonScale; }
    bool ShowPicture() const override { return showPicture; }
    CSize PageSize() const override { return pageSize; }
    bool IsReadOnly() const override { return readOnly; }
    bool HasRight(int, bool) override { return editRight; }
    void SetChanged() override { ++changed; }
    std::string PathName() const override { return path; }
    int SheetCount() const override { return sheetCount; }
    void ShowSheet(CReportSheet* sheet) override { shownSheets.push_back(sheet); }
    void SheetActivated(CReportSheet* sheet, int page) override {
        activated.push_back(sheet);
        pages.push_back(page);
    }
    void OpenFile(const std::string& file) override { opened.push_back(file); }
    CReportParam* DroppedParam(const std::string& record) override { return record == "param" ? dragParam : nullptr; }
    void SetPositionText(const std::string& text) override { position = text; }
    void RefreshCommands() override {}
    bool EditProperties(CReportSheet*) override {
        ++properties;
        return propertiesChange;
    }
    // A paste of pastedElements' copies when set (their records through the clipboard block), else only noted.
    bool PasteAt(CReportSheet* sheet, CPoint point, double zoom, CBoundArray& frames) override {
        pastes.push_back(point);
        return paste && paste(sheet, point, zoom, frames);
    }
    std::function<bool(CReportSheet*, CPoint, double, CBoundArray&)> paste;
    void CopySelection(CReportSheet*) override { ++copies; }
    void SelectAll(CReportSheet*) override { ++selectAlls; }
    void EditText(CReportSheet*) override { ++textEdits; }
    void RefreshNavigatorLabels() override {}
    // The program's commands as the sheet's menu sees them.
    std::set<int> disabledCommands;
    std::vector<int> ranCommands;
    bool CommandEnabled(int command) override { return disabledCommands.count(command) == 0; }
    void RunCommand(int command) override { ranCommands.push_back(command); }
};

}  // namespace view_test
