// The small program of the section dialogs' real-window test: the property dialog of a table holding one
// section "Первая", whose table page opens the real section dialog. It reports where its controls are on the
// screen ("<prefix>.<id> x y width height") and "ready" once the property dialog shows, the same with
// "section.<id>" and "section-ready" for the section dialog, every message as "message <text>" (answered OK
// without a box), and after the property dialog closes "result <n>", "sections <names joined by |>" and "done".
#include <QApplication>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

#include "platform/ui/messages.h"
#include "report/dialogs/property_dialog.h"
#include "report/dialogs/section_dialog.h"
#include "report/dialogs/table_page.h"
#include "report/model/folivox.h"
#include "report/model/report_section.h"
#include "report/model/report_sheet.h"
#include "report/model/table_element.h"
#include "testkit/test_look.h"

namespace {

class ReportingSink : public zor::IMessageSink {
public:
    int Show(const std::string& text, const std::string&, unsigned) override {
        std::printf("message %s\n", text.c_str());
        std::fflush(stdout);
        return IDOK;
    }
};

void Report(const QWidget* w, const std::string& id) {
    const QPoint at = w->mapToGlobal(QPoint(0, 0));
    std::printf("%s %d %d %d %d\n", id.c_str(), at.x(), at.y(), w->width(), w->height());
}

void ReportDialog(QDialog& dialog, const char* prefix, const char* marker) {
    for (const QWidget* w : dialog.findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && w->objectName().at(0).isDigit() && w->isVisible())
            Report(w, std::string(prefix) + "." + w->objectName().toStdString());
    if (auto* tabs = dialog.findChild<QTabWidget*>("1008")) Report(tabs->tabBar(), std::string(prefix) + ".tabbar");
    std::printf("%s\n", marker);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);
    ReportingSink sink;
    zor::ScopedMessageSink scoped(&sink);

    CFolivox manager;
    auto* sheet = new CReportSheet(&manager);
    manager.AddSheet(sheet);
    auto* table = new CTableElement(&manager);
    table->SetName("Таблица");
    table->SetSize(CSize(1500, 800));
    auto* first = new CReportSection(&manager);
    first->SetName("Первая");
    table->GetSections().Add(first);
    sheet->Add(table);

    CPropertyDlg dialog({table}, 0);
    dialog.move(0, 0);
    if (auto* page = dialog.findChild<CTablePage*>()) {
        page->SetSectionRunner([&dialog](CReportSection* section) {
            CSectionDlg edit(section, &dialog);
            edit.move(420, 0);
            QTimer::singleShot(400, &edit, [&edit] { ReportDialog(edit, "section", "section-ready"); });
            return edit.exec() == QDialog::Accepted;
        });
    }
    QTimer::singleShot(400, &dialog, [&dialog] { ReportDialog(dialog, "props", "ready"); });
    const int result = dialog.exec();
    std::string names;
    for (const CReportSection* section : table->GetSections()) names += (names.empty() ? "" : "|") + section->GetName();
    std::printf("result %d\nsections %s\ndone\n", result, names.c_str());
    std::fflush(stdout);
    return 0;
}
