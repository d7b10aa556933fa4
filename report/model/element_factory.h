#pragma once
// Element kinds and their classes and entities, in one place. The kinds built on the element base
// (table 3, continuation 5, picture 6, table of contents 7, page reference 8) add their classes to
// NewReportElement; until a kind has its class, stored elements of that kind load as plain elements that
// keep their kind, so a file round-trips unchanged.
#include "report/model/schema.h"

class CFolivox;
class CReportElement;
class CzorEntity;
class CzorInstance;
class CzorStepData;
class CRecordReader;

// A new, empty element object of the kind (kind set), or null for a kind without a class.
CReportElement* NewReportElement(int kind, CFolivox* manager);
// The entity an element of the kind is stored as (a text rectangle for a kind of no entity).
CzorEntity* ElementEntityOfKind(const CReportSchema& schema, int kind);
// The kind of a stored element instance, by its entity (1 for any other entity).
int ElementKindOfInstance(const CReportSchema& schema, CzorStepData& store, const CzorInstance* instance);
// Reads an element record (its kind, then LoadDataFromMem) into a new element of manager: kinds 5 and 8
// give plain elements of that kind. Null, with nothing made, for an unknown kind or a bad record.
CReportElement* ReadElementRecord(CRecordReader& in, CFolivox* manager);
