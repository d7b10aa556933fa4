#pragma once
// Small store steps shared by sections, levels, columns, conditions and grouping columns.
#include "platform/zordata/taggr.h"
#include "report/model/store_instances.h"

class CFolivox;
class CHeaderColumn;
class CzorEntity;
class CzorInstance;

// The header column's zor_col instance, made (and kept by the column) when it has none; null without a
// column or a store. The header writes the column's fields when it is stored itself.
CzorInstance* HeaderColumnInstance(CFolivox* manager, CHeaderColumn* column);
// Appends a non-null instance that the list does not hold yet (whatever the list's own uniqueness rule).
void AddUniqueInstance(CzorTAggr<CzorInstance>& list, CzorInstance* instance);
