#pragma once
// Element kinds and their classes and entities, in one place. The line (kind 0) and the text rectangle (1)
// are the element base itself; the table (3), continuation (5), picture (6), table of contents (7) and
// page reference (8) each have a class built on it. Kinds 2 and 4 are not in use.
#include "report/model/schema.h"

class CFolivox;
class CReportElement;
class CzorEntity;
class CzorInstance;
class CzorStepData;
class CRecordReader;

// A new, empty element object of the kind's class (kind set), or null for a kind not in use or unknown.
CReportElement* NewReportElement(int kind, CFolivox* manager);
// The entity an element of the kind is stored as (a text rectangle for a kind of no entity).
CzorEntity* ElementEntityOfKind(const CReportSchema& schema, int kind);
// The kind of a stored element instance, by its entity (1 for any other entity).
int ElementKindOfInstance(const CReportSchema& schema, CzorStepData& store, const CzorInstance* instance);
// Reads an element record (its kind, then LoadDataFromMem) into a new element of manager: a continuation
// or a page reference, whose record is the base record, comes back unbound. Null, with nothing made, for a
// kind not in use, an unknown kind or a bad record.
CReportElement* ReadElementRecord(CRecordReader& in, CFolivox* manager);
