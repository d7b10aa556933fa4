#pragma once
// The query tree of the store's query language: the nodes a query parser builds and
// a networked store sends to its server. Nodes are made with new on their query,
// which owns them (its node lists) and deletes them with itself. A copy of a node is a
// free node (owned by whoever made it) that refers to the same neighbours; a logical
// operation's own value is copied deeply. Queries themselves are not copied: one takes
// over another's tree with SetFromOlder.
#include <string>

#include "platform/zordata/taggr.h"
#include "platform/zordata/value.h"

class CzorDataBuf;

class CzorStepData;
class CzorEntity;
class CzorAttr;
class CzorInstance;

class CzorQLQuery {
public:
    // Node kinds as the resolution step tells them apart.
    enum : int { kObject = 1, kBranch = 2, kExtent = 3, kGroupOp = 4, kLogOp = 5, kPathElement = 6, kField = 7 };

    class CzorQLObject {
    public:
        // Registers the node with query (which then owns it) and keeps the query's
        // current line and column.
        explicit CzorQLObject(CzorQLQuery* query, int kind = kObject);
        CzorQLObject(const CzorQLObject& other) = default;
        CzorQLObject& operator=(const CzorQLObject& other) = default;
        virtual ~CzorQLObject() = default;
        int GetKind() const { return m_nKind; }
        int GetLine() const { return m_nLine; }
        int GetColumn() const { return m_nColumn; }
        int GetPos() const { return m_nPos; }
        int GetTokenLength() const { return m_nTokenLen; }
        CzorQLQuery* GetQuery() const { return m_pQuery; }
        // Makes this node's position (line, column, offset and token length) the query's error
        // position.
        void SetParentErrPosition();

        int m_nKind;
        int m_nLine = 0;
        int m_nColumn = 0;     // just behind the node's token
        int m_nPos = 0;        // byte offset just behind the node's token
        int m_nTokenLen = 0;   // the length of the node's token
        CzorQLQuery* m_pQuery;
    };

    class CzorQLBranchSelect : public CzorQLObject {
    public:
        explicit CzorQLBranchSelect(CzorQLQuery* query, int kind = kBranch) : CzorQLObject(query, kind) {}
    };

    class CzorQLExtent : public CzorQLObject {
    public:
        explicit CzorQLExtent(CzorQLQuery* query) : CzorQLObject(query, kExtent) {}
        std::string m_Name;
        CzorEntity* m_pEntity = nullptr;
        CzorEntity* m_pNavEntity = nullptr;
        CzorQLObject* m_pCondition = nullptr;
        CzorTAggr<CzorInstance> m_Instances;
        CzorQLObject* m_pSetExpr = nullptr;
        CzorAttr* m_pNavAttr = nullptr;
        bool m_bUsed = false;
        bool m_bDefined = false;
    };

    class CzorQLLogOp : public CzorQLObject {
    public:
        explicit CzorQLLogOp(CzorQLQuery* query) : CzorQLObject(query, kLogOp) {}
        CzorQLLogOp(const CzorQLLogOp& other);
        CzorQLLogOp& operator=(const CzorQLLogOp& other);
        ~CzorQLLogOp() override;
        int m_nRelation = 0;
        int m_nOperandKind = 0;         // 1 a value, 2 an extent, 3 a value or texts
        CzorValue* m_pValue = nullptr;  // owned, for kinds 1 and 3
        CzorQLExtent* m_pExtent = nullptr;
    };

    class CzorQLGroupOp : public CzorQLBranchSelect {
    public:
        explicit CzorQLGroupOp(CzorQLQuery* query) : CzorQLBranchSelect(query, kGroupOp) {}
        int m_nOperation = 0;  // 1 and, 2 or
        CzorQLObject* m_pLeft = nullptr;
        CzorQLObject* m_pRight = nullptr;
    };

    class CzorQLPathElement : public CzorQLBranchSelect {
    public:
        explicit CzorQLPathElement(CzorQLQuery* query) : CzorQLBranchSelect(query, kPathElement) {}
        CzorQLObject* m_pNext = nullptr;
        CzorAttr* m_pAttr = nullptr;
        CzorEntity* m_pEntity = nullptr;
        CzorQLLogOp* m_pRelation = nullptr;
        std::string m_Name;
    };

    class CzorQLField : public CzorQLBranchSelect {
    public:
        explicit CzorQLField(CzorQLQuery* query) : CzorQLBranchSelect(query, kField) {}
        CzorQLExtent* m_pExtent = nullptr;
        std::string m_Name;
        CzorQLPathElement* m_pPath = nullptr;
    };

    explicit CzorQLQuery(CzorStepData* store = nullptr);
    CzorQLQuery(const CzorQLQuery&) = delete;
    CzorQLQuery& operator=(const CzorQLQuery&) = delete;
    virtual ~CzorQLQuery();

    // Takes over older's tree (its nodes, root, position and validity); older is left
    // empty. The store stays this query's.
    void SetFromOlder(CzorQLQuery& older);
    // Deletes every node.
    void Clear();
    // Writes the tree into a request (format: query_wire.h).
    bool SaveToDataBuf(CzorDataBuf& buf) const;

    CzorStepData* m_pStore;
    CzorTAggr<CzorQLObject> m_Extents{8, false, true};  // the extents, in definition order
    CzorTAggr<CzorQLObject> m_Nodes{8, false, true};    // every other node
    CzorQLObject* m_pRoot = nullptr;                    // root of the output set
    int m_nLine = 1;                                    // current position while parsing
    int m_nColumn = 1;
    int m_nPos = 0;
    int m_nTokenLen = 0;
    int m_nErrLine = 1;
    int m_nErrColumn = 1;
    int m_nErrPos = 0;
    int m_nErrTokenLen = 0;
    bool m_bValid = false;
};
