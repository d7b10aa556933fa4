// The small program of the access dialogs' real-window test. The argument chooses the window:
//   access  the access dialog, view-only, over two instances whose default modes differ, with a group
//           and a user that have access; closing it writes "result <code>".
//   picker  the user-and-group picker, Bob in two groups; its add button writes
//           "picked groups=<ids> users=<ids> mode=<mode>", Cancel "picked none".
// Once a window shows: its caption ("caption <text>"), the default combo's text ("default <text>"),
// the places of its controls ("<id> x y width height"), of the picker's rows ("row<n> x y w h"),
// and "ready"; "done" at the end.
#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstring>
#include <string>

#include "testkit/test_look.h"
#include "zorStepData/CzorData_Client/access_dialog_view.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/tests/access_store.h"

namespace {



void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void Report(const std::string& id, const QWidget* w, const QRect& r) {
    const QPoint at = w->mapToGlobal(r.topLeft());
    std::printf("%s %d %d %d %d\n", id.c_str(), at.x(), at.y(), r.width(), r.height());
}

void ReportWindow(QDialog& window) {
    Say("caption " + window.windowTitle().toStdString());
    if (auto* combo = window.findChild<QComboBox*>("4015")) Say("default " + combo->currentText().toStdString());
    Report("window", &window, window.rect());
    for (const QWidget* w : window.findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && w->objectName().at(0).isDigit() && w->isVisible())
            Report(w->objectName().toStdString(), w, w->rect());
    if (auto* tree = window.findChild<QTreeWidget*>("4008")) {
        int n = 0;
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            Report("row" + std::to_string(n++), tree->viewport(), tree->visualItemRect(*it));
    }
    Say("ready");
}

std::string Ids(const std::vector<CzorInstance*>& agents) {
    std::string s;
    for (CzorInstance* a : agents) s += (s.empty() ? "" : ",") + std::to_string(a->GetId());
    return s.empty() ? "-" : s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: peltrane_access_window access | picker\n");
        return 2;
    }
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);
    access_test::AccessStore store;
    if (!store.LoadAccessDictionary()) return 3;
    const auto make = [&](const char* entity, int id, const char* name) { return store.Make(entity, id, name); };
    CzorInstance* reserved = make("zor_workgroup", kzorAccessReservedGroup, "Администраторы");
    CzorInstance* staff = make("zor_workgroup", 4006, "Staff");
    CzorInstance* sales = make("zor_workgroup", 4008, "Sales");
    CzorInstance* ann = make("zor_user", 4005, "Ann");
    CzorInstance* bob = make("zor_user", 4007, "Bob");
    const auto groups = [&](CzorInstance* user, std::vector<CzorInstance*> of) {
        CzorTAggr<CzorInstance> g(2, false, false);
        for (CzorInstance* x : of) g.Add(x);
        store.PutAttr(user, store.GetAttrDefinition(user->GetEntity(), "groups"), g);
    };
    groups(ann, {reserved, staff});
    groups(bob, {staff, sales});
    store.LogIn(ann);

    int status = 2;
    if (!std::strcmp(argv[1], "access")) {
        CzorInstance* points[] = {store.CreateInstanceBN("zor_point", false, true),
                                  store.CreateInstanceBN("zor_point", false, true)};
        points[0]->SetId(5001);
        points[1]->SetId(5002);
        zorUsers set;
        const auto list = [&](CzorInstance* agent, int a, int b, int flag) {
            zorAccessList* l = set.AddList(agent);
            l->Add(points[0], flag, static_cast<zorAccessModeType>(a));
            l->Add(points[1], flag, static_cast<zorAccessModeType>(b));
        };
        list(staff, 1, 1, 1);
        list(bob, 3, 3, 1);
        list(ann, 0, 0, 1);
        list(sales, zorAccessNotSet, zorAccessNotSet, 1);
        list(nullptr, 2, 1, 1);  // the default modes differ
        CDlgSetInstAccess dlg(store, set, true, false);
        QTimer::singleShot(300, &dlg, [&] { ReportWindow(dlg); });
        Say("result " + std::to_string(dlg.exec()));
        status = 0;
    } else if (!std::strcmp(argv[1], "picker")) {
        CDlgSelectUser picker;
        if (!picker.Init(&store)) return 4;
        QTimer::singleShot(300, &picker, [&] { ReportWindow(picker); });
        if (picker.exec() == QDialog::Accepted)
            Say("picked groups=" + Ids(picker.SelectedGroups()) + " users=" + Ids(picker.SelectedUsers()) +
                " mode=" + std::to_string(picker.ChosenMode()));
        else
            Say("picked none");
        status = 0;
    }
    Say("done");
    return status;
}
