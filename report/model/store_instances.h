#pragma once
// Store instances held by model objects: an instance may have been deleted under its holder (deleted
// instances stay as tombstones until the store is cleared), so each holder checks before it writes.
#include "platform/zordata/taggr.h"

class CFolivox;
class CzorEntity;
class CzorInstance;

// Whether instance is there and not deleted.
bool IsLive(const CzorInstance* instance);
// instance when it is live, else a new instance of entity (null without a store).
CzorInstance* LiveOrNewInstance(CFolivox* manager, CzorInstance* instance, CzorEntity* entity);
// Deletes a live instance from the manager's store (references to it cleared).
void DeleteStoreInstance(CFolivox* manager, CzorInstance* instance);

// Keeps each instance at its first place in list. A stored list that names one instance twice (a damaged
// file) is read as if it named it once: two objects on one instance would overwrite and free each other.
void DropRepeats(CzorTAggr<CzorInstance>& list);

// Writes each object of list to the store and appends the instances they have, in order, to instances
// (a list of sheets, sections, elements, contents nodes or heading levels as its owner stores it).
template <class List>
void WriteEach(const List& list, CzorTAggr<CzorInstance>& instances) {
    for (auto* item : list) {
        item->Update(true);
        if (item->GetInstance()) instances.Add(item->GetInstance());
    }
}
