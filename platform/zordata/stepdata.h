#pragma once
// CzorStepData: the object store. Instances described by a dictionary of entities and
// attributes, created, read, written and deleted through the store.
//
// Rules every operation keeps:
//  - Null entity, attribute or instance arguments fail (false / null) and never crash;
//    so do deleted instances, attributes that are not the instance's entity's, and
//    values whose type does not fit the attribute (no conversion between types).
//  - A read that finds no value returns false and leaves the caller's out value as the
//    caller preset it.
//  - Every typed read goes through the virtual GetAttr(instance, attribute, CzorValue**),
//    which a networked store overrides to fetch values it has not loaded yet.
//  - Extents hold the instances of an entity and of its subtypes in creation (and
//    load) order.
//  - Deleting an instance removes every reference and list entry that points at it
//    (as seen by every read, copy and save) and keeps the object as a tombstone until
//    ClearData.
//  - The read-only flag tells that the store's source (its file, its server) may not be
//    written back; it does not stop changes in memory.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/zordata/aggr.h"
#include "platform/zordata/databuf.h"
#include "platform/zordata/dictionary.h"
#include "platform/zordata/errors.h"
#include "platform/zordata/instance.h"
#include "platform/zordata/taggr.h"
#include "platform/zordata/value.h"

class CzorStepDataWithFile;
class zorRecordSpeller;
namespace zor_detail { class Arena; class NameTable; class PackedRuns; }

// A place in a store's making of instances (CzorStepData::GetPackMark).
struct zorPackMark {
    int count = -1;
    uint32_t seq = 0;
    size_t arenaChunks = 0, arenaUsed = 0;
    uint64_t arenaEpoch = 0;
};

class CzorStepData : public CzorMessageModes {
public:
    CzorStepData();
    virtual ~CzorStepData();
    CzorStepData(const CzorStepData&) = delete;
    CzorStepData& operator=(const CzorStepData&) = delete;

    // ---- Dictionary
    // path is the dictionary folder followed by the dictionary's name, without ".dict".
    // Loading the dictionary that is already loaded (same name) keeps it and the
    // instances; loading another one drops the instances. Last error 20 when the file
    // cannot be read, 21 when it is not a valid dictionary (the store is then unchanged).
    bool LoadDictionary(const char* path);
    bool LoadDictionaryFromFile(const char* file);
    bool HasDictionary() const { return !m_DictName.empty(); }
    // The schema name of the loaded dictionary ("" when none).
    const std::string& GetDictName() const { return m_DictName; }
    // The number kept after the dictionary name in data buffers (0 here).
    int GetDictNumber() const { return m_nDictNumber; }

    // Look-ups by name ignore letter case; null when absent.
    CzorEntity* GetEntityBN(const char* name) const;
    CzorEntity* GetEntityBN(const std::string& name) const { return GetEntityBN(name.c_str()); }
    CzorEntity* GetEntityById(int id) const;
    // An attribute of the entity or of one of its supertypes; null for a null entity.
    CzorAttr* GetAttrDefinition(CzorEntity* entity, const char* name) const;
    CzorAttr* GetAttrDefinition(CzorEntity* entity, const std::string& name) const {
        return GetAttrDefinition(entity, name.c_str());
    }
    CzorAttr* GetAttrById(int id) const;
    const CzorTAggr<CzorEntity>& GetEntities() const { return m_Entities; }
    const CzorTAggr<CzorAttr>& GetAttrs() const { return m_Attrs; }

    // ---- Instances
    // A new instance owned by the store, appended to its entity's extent; null only for
    // a null entity. bLocalOnly marks it as existing only here (a networked store never
    // sends it); bInitValues is kept for callers (slots are always made).
    CzorInstance* CreateInstance(CzorEntity* entity, bool bLocalOnly = false, bool bInitValues = true);
    CzorInstance* CreateInstanceBN(const char* entity, bool bLocalOnly = false, bool bInitValues = true);
    // Deletes the instance: its values are freed, every reference to it reads as absent
    // from now on, and it stays as a tombstone until ClearData. Refuses (false, error 14)
    // an instance whose state is read-only (2) or no-access (3) unless bForce is set;
    // bClearRefs is kept for callers (references are always cleared).
    bool DeleteInstance(CzorInstance* inst, bool bClearRefs = true, bool bForce = false);
    bool DeleteInstanceForced(CzorInstance* inst) { return DeleteInstance(inst, true, true); }
    // Drops every instance (tombstones included); keeps the dictionary.
    virtual void ClearData();
    // Every instance in creation order, tombstones included.
    const CzorTAggr<CzorInstance>& GetInstances() const { return m_Instances; }
    // Gives these instances, in this order, the places of instances created now: the store's list, their
    // entities' extents and a saved file hold them after every other instance. A writer that makes the
    // instances early, to free what it made them from, keeps the file it would have written otherwise.
    // Deleted instances and repeats are passed over.
    void MoveToEnd(const std::vector<CzorInstance*>& instances);
    // Number of live (not deleted) instances.
    int GetInstanceCount() const { return m_nLive; }

    // ---- Packing
    // A writer that makes a great many instances only to have them saved (a generated report's cells)
    // packs each batch once it is written: the instances made since the mark become the text the file will
    // hold of them, kept in their places of the creation order in a temporary file that nothing outlives,
    // and their memory is reused. The ones in keep stay as instances without values (IsPacked; every read
    // finds nothing) that lists and references may name; keep gets their new addresses, as the old ones
    // are gone. The others must be of the droppable entities and
    // named by nothing but each other and the kept ones, and nothing else may hold them; once every kept
    // one is deleted, the records go too. A saved file holds the records where the instances would have
    // stood, numbered alike, and MoveToEnd moves a kept instance's whole batch. False, with nothing
    // changed, when keep is empty or not among them, an instance made since the mark was deleted or moved,
    // memory was released below the mark, a value is one a file cannot hold, or no temporary file can be
    // written (in $TMPDIR, else /tmp).
    zorPackMark GetPackMark() const;
    bool PackSince(const zorPackMark& mark, std::vector<CzorInstance*>& keep,
                   const std::vector<CzorEntity*>& droppable);
    // As PackSince, but one instance without values (of the first kept one's entity, in its place) stands
    // for every kept one: a list that names it names all of them in their order when the file is written,
    // a reference outside a list the first of them. What a batch costs in memory is then the same for any
    // number of kept instances. Null, with nothing changed, where PackSince would refuse.
    CzorInstance* PackBatchSince(const zorPackMark& mark, const std::vector<CzorInstance*>& keep,
                                 const std::vector<CzorEntity*>& droppable);
    // A batch of count new places that its writer keeps in a form of its own (bytes) and spells out itself
    // when the file is written: stored as PackBatchSince would store it, the kept places given sorted and
    // the one instance standing for them of entity. Null, with the store as it was, when nothing is kept
    // or the bytes cannot be written to the temporary file.
    CzorInstance* StoreSpelledBatch(std::string_view bytes, uint32_t count, const std::vector<uint32_t>& kept,
                                    CzorEntity* entity, std::shared_ptr<const zorRecordSpeller> speller);

    // Fills list (emptied first) with the instances of the entity and its subtypes, in
    // creation order. False for a null entity.
    bool GetEntityExtent(CzorEntity* entity, CzorTAggr<CzorInstance>& list);
    bool GetEntityExtentBN(const char* entity, CzorTAggr<CzorInstance>& list);
    // The instance is of the entity or of a subtype of it (false for null or deleted).
    bool IsKindOf(const CzorInstance* inst, const CzorEntity* entity) const;
    bool IsKindOfBN(const CzorInstance* inst, const char* entity) const;

    // ---- Values
    // The stored value: true and *value pointing at the store's value when the attribute
    // holds one; false (with *value null) otherwise. Sets the last error (0 on success,
    // 11 no instance, 7 no attribute, 9 no value). A networked store overrides it.
    virtual bool GetAttr(CzorInstance* inst, CzorAttr* attr, CzorValue** value);
    // Readies the values of attr of the listed instances for reads one by one. This store holds
    // every value already: nothing to do. A networked store switches its automatic download on
    // (it stays on) and fetches, in as few requests as it can, the values it has not loaded yet;
    // false when that fetch failed (the reads then fetch each value on their own). With no
    // instances only the download is switched on.
    virtual bool PrepareAttrReads(CzorInstance* const* instances, int count, CzorAttr* attr);
    // The value slot in memory, or null (no fetching, no error).
    CzorInstance::CzorValueDefinition* GetAttrValue(CzorInstance* inst, CzorAttr* attr, bool bCreate = false);

    // Typed reads: true with out filled when the attribute holds a value of that type;
    // otherwise false and out as the caller preset it.
    bool GetAttr(CzorInstance* inst, CzorAttr* attr, int& out);
    bool GetAttr(CzorInstance* inst, CzorAttr* attr, double& out);
    bool GetAttr(CzorInstance* inst, CzorAttr* attr, std::string& out);
    bool GetAttr(CzorInstance* inst, CzorAttr* attr, bool& out);
    bool GetAttr(CzorInstance* inst, CzorAttr* attr, CzorInstance*& out);
    // A list attribute: out is emptied and filled with the instances in list order (with
    // out's own uniqueness rule). A present but empty list gives true and an empty out.
    bool GetAttr(CzorInstance* inst, CzorAttr* attr, CzorTAggr<CzorInstance>& out);
    bool GetAttr(CzorInstance* inst, CzorAttr* attr, CzorAggr& out);      // a copy of the list
    bool GetAttr(CzorInstance* inst, CzorAttr* attr, CzorValue& out);     // a copy of any value
    bool GetAttr(CzorInstance* inst, CzorAttr* attr, CzorDataBuf& out);   // a copy of the bytes

    bool GetAttrBN(CzorInstance* inst, const char* attr, int& out);
    bool GetAttrBN(CzorInstance* inst, const char* attr, double& out);
    bool GetAttrBN(CzorInstance* inst, const char* attr, std::string& out);
    bool GetAttrBN(CzorInstance* inst, const char* attr, bool& out);
    bool GetAttrBN(CzorInstance* inst, const char* attr, CzorInstance*& out);
    bool GetAttrBN(CzorInstance* inst, const char* attr, CzorTAggr<CzorInstance>& out);
    bool GetAttrBN(CzorInstance* inst, const char* attr, CzorAggr& out);
    bool GetAttrBN(CzorInstance* inst, const char* attr, CzorValue& out);
    bool GetAttrBN(CzorInstance* inst, const char* attr, CzorDataBuf& out);

    // Writes replace the value and set the slot's changed mark. They fail (false) for a
    // null or deleted instance, a null or foreign attribute, a type that does not fit
    // (INTEGER takes int, REAL double, STRING text, BOOLEAN bool, BINARY bytes, a
    // reference an instance of its domain entity, a list instances of its domain) and a
    // real that is not finite. A null instance or null text clears the value.
    bool PutAttr(CzorInstance* inst, CzorAttr* attr, const char* value);
    bool PutAttr(CzorInstance* inst, CzorAttr* attr, const std::string& value);
    bool PutAttr(CzorInstance* inst, CzorAttr* attr, int value);
    bool PutAttr(CzorInstance* inst, CzorAttr* attr, double value);
    bool PutAttr(CzorInstance* inst, CzorAttr* attr, bool value);
    bool PutAttr(CzorInstance* inst, CzorAttr* attr, CzorInstance* value);
    bool PutAttr(CzorInstance* inst, CzorAttr* attr, std::nullptr_t);
    bool PutAttr(CzorInstance* inst, CzorAttr* attr, const CzorTAggr<CzorInstance>& value);
    bool PutAttr(CzorInstance* inst, CzorAttr* attr, const CzorAggr& value);
    bool PutAttr(CzorInstance* inst, CzorAttr* attr, const CzorDataBuf& value);
    // Any value; an empty value clears the attribute.
    bool PutAttr(CzorInstance* inst, CzorAttr* attr, const CzorValue& value);
    // Makes the attribute hold no value.
    bool ClearAttr(CzorInstance* inst, CzorAttr* attr);

    bool PutAttrBN(CzorInstance* inst, const char* attr, const char* value);
    bool PutAttrBN(CzorInstance* inst, const char* attr, const std::string& value);
    bool PutAttrBN(CzorInstance* inst, const char* attr, int value);
    bool PutAttrBN(CzorInstance* inst, const char* attr, double value);
    bool PutAttrBN(CzorInstance* inst, const char* attr, bool value);
    bool PutAttrBN(CzorInstance* inst, const char* attr, CzorInstance* value);
    bool PutAttrBN(CzorInstance* inst, const char* attr, std::nullptr_t);
    bool PutAttrBN(CzorInstance* inst, const char* attr, const CzorTAggr<CzorInstance>& value);
    bool PutAttrBN(CzorInstance* inst, const char* attr, const CzorAggr& value);
    bool PutAttrBN(CzorInstance* inst, const char* attr, const CzorDataBuf& value);
    bool PutAttrBN(CzorInstance* inst, const char* attr, const CzorValue& value);

    // Uniqueness tests: true when no live instance of the entity (or its subtypes) other
    // than except holds all n values (CzorValue::IsEqu); false also for bad arguments.
    virtual bool TestUniqueAttrValuesBN(const char* entity, CzorInstance* except, int n, CzorAttrValue* values);
    virtual bool TestUniqueAttrValues(CzorEntity* entity, CzorInstance* except, int n, CzorAttrValue* values);

    // Copies the listed instances, with every instance they reach through references and
    // lists, into target (which must hold a dictionary of the same name); references
    // among the copies are remapped to the copies, texts, lists and blobs are copied.
    // Deleted and null entries are passed over. With bReturnCopies the list is replaced
    // by the copies of its instances, in its order. Nothing is copied when an entity or
    // attribute is missing from the target's dictionary (false, error 32).
    bool zorFarCopyInstances(CzorTAggr<CzorInstance>& instances, CzorStepDataWithFile& target,
                             bool bReturnCopies = false);

    // ---- Instance buffers ("zor_step_data V 0.2", stepbuf.h)
    // Merges the buffer's instances: the whole buffer is read and checked first (store errors 16,
    // 17, 8, 10 as zorParseStepDataBuf gives them; nothing is merged then). Instances are found by
    // id or created (their slots marked not loaded until a block brings them); a block's values
    // replace the slots' values unless the slot was changed here, and leave them unchanged and
    // loaded; a list keeps a copy as loaded (CzorValueDefinition::GetList). Headers of deleted
    // instances (entity 0) are passed over. list, when given, receives the merged instances in
    // header order, each once.
    bool ApploadFromDataBuf(CzorDataBuf& buf, CzorTAggr<CzorInstance>* list = nullptr,
                            zorBufText text = zorBufText::Utf8);

    // ---- Last error and messages
    int GetLastError() const { return m_nLastError; }
    const char* GetLastErrorDescription() const;
    // Records the code with its standard description.
    void SetLastError(int code);
    // Records the code with a description naming the detail (a file, a line) and the
    // place in the code; with bMessage and the error message mode on, shows it.
    void SetLastErrorEx(int code, bool bMessage, const char* detail, int line = 0);
    void ClearLastError() { m_nLastError = 0; m_bDescPending = false; m_LastErrorDesc.clear(); }
    static const char* GetErrorDescription(int code);

    bool IsReadOnly() const { return m_bReadOnly; }

protected:
    friend struct zorStoreAccess;
    friend class zorBatchWriter;
    void SetReadOnly(bool readOnly) { m_bReadOnly = readOnly; }
    // Replaces the description of the last error (kept until the next error).
    void SetLastErrorDescription(const std::string& text);
    // Drops the instances and the dictionary.
    void ClearDictionary();
    // The value of the slot with references to deleted instances taken out.
    CzorValue* PurgeDeleted(CzorInstance::CzorValueDefinition* slot);

private:
    bool CheckSlot(CzorInstance* inst, CzorAttr* attr) const;
    bool FitsAttr(CzorAttr* attr, const CzorValue& value) const;
    CzorInstance::CzorValueDefinition* WritableSlot(CzorInstance* inst, CzorAttr* attr);
    CzorInstance* NewInstance(CzorEntity* entity);
    void FreeInstances();
    // A kept instance of a packed batch was deleted.
    void ForgetPacked(CzorInstance* kept);
    // PackSince (asOne: PackBatchSince): the first kept instance after packing, or null for a refusal.
    CzorInstance* Pack(const zorPackMark& mark, std::vector<CzorInstance*>& keep,
                       const std::vector<CzorEntity*>& droppable, bool asOne);
    // Records of count new places (zorBatchWriter), the kept ones at the sorted places given: the one
    // instance standing for them, of entity, or null when the records could not be written.
    CzorInstance* StoreBatch(const char* records, size_t size, uint32_t count, const std::vector<uint32_t>& kept,
                             CzorEntity* entity, std::shared_ptr<const zorRecordSpeller> speller = nullptr);
    // The stored value when the attribute holds one of that type, else null (error set).
    CzorValue* ReadOfType(CzorInstance* inst, CzorAttr* attr, int type);
    CzorAttr* AttrOf(CzorInstance* inst, const char* name);

    std::string m_DictName;
    int m_nDictNumber = 0;
    std::string m_DictFile;
    std::vector<std::unique_ptr<CzorEntity>> m_OwnedEntities;
    std::vector<std::unique_ptr<CzorAttr>> m_OwnedAttrs;
    CzorTAggr<CzorEntity> m_Entities{8, true, false};
    CzorTAggr<CzorAttr> m_Attrs{8, true, false};
    CzorTAggr<CzorInstance> m_Instances{8, false, false};
    std::unique_ptr<zor_detail::NameTable> m_pNames;
    std::unique_ptr<zor_detail::Arena> m_pArena;
    std::unique_ptr<zor_detail::PackedRuns> m_pPacked;
    uint32_t m_nNextSeq = 1;
    int m_nLive = 0;
    size_t m_nTombstones = 0;

    bool m_bReadOnly = false;
    int m_nLastError = 0;
    mutable bool m_bDescPending = false;
    mutable std::string m_LastErrorDesc;
};
