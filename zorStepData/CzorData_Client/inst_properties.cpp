#include "zorStepData/CzorData_Client/inst_properties.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

#include <ctime>

#include "platform/base/ole_date.h"
#include "platform/zordata/stepdata.h"
#include "zorStepData/CzorData_Client/users_log.h"

namespace {

const char* const kUnknownDate = "неизвестно";
const char* const kUnknownUser = "неизвестен";

std::string AgentName(CzorStepData* store, CzorInstance* agent) {
    if (!agent) return kUnknownUser;
    std::string name;
    store->GetAttrBN(agent, "name", name);
    return name;
}

InstPropertiesRunner& Runner() {
    static InstPropertiesRunner runner;
    return runner;
}

// Dialog units of the template at the usual 6 x 13 pixel base (4 and 8 units per character).
int DluX(int units) { return units * 6 / 4; }
int DluY(int units) { return units * 13 / 8; }

}  // namespace

std::string FormatInstDate(double date) {
    int64_t seconds = 0;
    if (date == 0.0 || !zor::UnixTimeFromOleDate(date, seconds)) return kUnknownDate;
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[64];
    std::strftime(text, sizeof text, "%m/%d/%Y %H:%M:%S", &tm);
    return text;
}

InstPropertiesView MakeInstPropertiesView(const CzorTAggr<SInstInfo>* records, const std::vector<std::string>* comments,
                                          CzorStepData* store, int width) {
    InstPropertiesView v;
    if (!records || records->IsEmpty() || !store) {
        v.headings = {""};
        v.widths = {width * 9 / 10};
        v.rows = {{"Данные не предоставлены!"}};
        return v;
    }
    v.headings = {"id", "type", "create user", "create date", "update user", "update date", "comment"};
    v.widths = {width / 10};
    for (int i = 1; i < 7; ++i) v.widths.push_back(3 * width / 20);
    for (int i = 0; i < records->GetSize(); ++i) {
        const SInstInfo* rec = records->GetAt(i);
        std::vector<std::string> row(7);
        if (!rec || !rec->instance) {
            row[0] = "inst==0";
            v.rows.push_back(row);
            continue;
        }
        row[0] = std::to_string(rec->instance->GetId());
        row[1] = rec->instance->GetEntity() ? rec->instance->GetEntity()->GetName() : kUnknownDate;
        row[2] = AgentName(store, rec->creator);
        row[3] = FormatInstDate(rec->created);
        row[4] = AgentName(store, rec->updater);
        row[5] = FormatInstDate(rec->updated);
        if (comments && static_cast<size_t>(i) < comments->size()) row[6] = (*comments)[static_cast<size_t>(i)];
        v.rows.push_back(row);
    }
    return v;
}

InstPropertiesRunner SetInstPropertiesRunner(InstPropertiesRunner runner) {
    InstPropertiesRunner old = std::move(Runner());
    Runner() = std::move(runner);
    return old;
}

void RunInstPropertiesDialog(const CzorTAggr<SInstInfo>& records, const std::vector<std::string>* comments,
                             CzorStepData* store) {
    if (Runner()) {
        Runner()(records, comments, store);
        return;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    QDialog d;
    d.setObjectName("7015");
    d.setWindowTitle(QString::fromUtf8("Свойства instance-ов"));
    d.setFixedSize(DluX(358), DluY(119));
    auto* list = new QTreeWidget(&d);
    list->setObjectName("7028");
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setGeometry(DluX(3), DluY(3), DluX(352), DluY(94));
    auto* ok = new QPushButton(QString::fromUtf8("OK"), &d);
    ok->setObjectName("1");
    ok->setDefault(true);
    ok->setGeometry(DluX(305), DluY(102), DluX(50), DluY(14));
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    const InstPropertiesView v = MakeInstPropertiesView(&records, comments, store, list->viewport()->width());
    QStringList headings;
    for (const auto& h : v.headings) headings << QString::fromStdString(h);
    list->setHeaderLabels(headings);
    for (size_t c = 0; c < v.widths.size(); ++c) list->setColumnWidth(static_cast<int>(c), v.widths[c]);
    for (const auto& row : v.rows) {
        QStringList cells;
        for (const auto& cell : row) cells << QString::fromStdString(cell);
        list->addTopLevelItem(new QTreeWidgetItem(cells));
    }
    d.exec();
}
