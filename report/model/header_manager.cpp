// Header columns stored through the report manager's store and schema.
#include "platform/zordata/stepdatafile.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"

void CHeaderColumn::Delete(CFolivox* manager) { Delete(manager ? manager->GetStore() : nullptr); }

void CHeader::Delete(CFolivox* manager) { Delete(manager ? manager->GetStore() : nullptr); }

void CHeader::Update(CFolivox* manager, bool toStore) {
    if (!manager) return;
    Update(manager->GetStore(), manager->Schema(), toStore);
}
