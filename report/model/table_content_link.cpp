#include "report/model/table_content_link.h"

#include "report/model/table_content.h"

CTableContent* ReadTableContentRoot(CFolivox* manager, CzorInstance* instance) {
    if (!manager || !instance) return nullptr;
    auto* node = new CTableContent(manager);
    node->SetInstance(instance);
    node->Update(false);
    return node;
}

void UpdateTableContent(CTableContent* node, bool write) {
    if (node) node->Update(write);
}

void DeleteTableContent(CTableContent* node) { delete node; }
