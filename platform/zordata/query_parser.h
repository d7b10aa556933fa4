#pragma once
// CzorQLQueryParser: builds the query tree of a text of the store's query language.
//
//   statement  = "select" set "from" { extent } "end_select"
//   set        = term { ("and" | "or") term }      "and" binds tighter; "or" chains to the right
//   term       = "(" set ")" | name [ "." path ]   (in an extent body: "#" name)
//   path       = attr [ "->" entity [ "." path ] ]
//   extent     = name "{" body "}" [ "." attr [ "->" entity ] ]
//   body       = entity [ condition ] | "#" n { "," "#" n } [ "," ] | set of "#" names
//   condition  = "(" condition { "and" condition | "or" rest-of-group } ")" | "." element
//   element    = ("#" | attr) ( "->" entity [ condition ] | relation value )
//   relation   = "<" | ">" | "<=" | ">=" | "=" | "!=" | "in" | "not_in" | "like" | "like_left"
//              | "like_right" | "not" ("in" | "like" | "like_left" | "like_right" | "exist")
//
// Names are looked up through a CzorQLLookup (the dictionary of the store, and instances by id),
// so a parse needs no network of its own. Every error stops the parse with one code (101..154),
// its text, and the position: the line and column just behind the offending token, its byte
// offset and length in the text; errors found on a node after the text was read carry the
// node's own token, errors about no node carry line -1.
#include <string>
#include <string_view>

#include "platform/zordata/query.h"
#include "platform/zordata/query_lexer.h"

class CzorStepData;

// What a parse asks of the store.
class CzorQLLookup {
public:
    virtual ~CzorQLLookup() = default;
    virtual CzorEntity* FindEntity(const std::string& name) = 0;        // name in UTF-8, any case
    virtual CzorAttr* FindAttr(CzorEntity* entity, const std::string& name) = 0;
    virtual CzorInstance* FindInstance(int id) = 0;                     // null when there is none
};

// The look-ups answered by a store from its dictionary and the instances it holds.
class CzorQLStoreLookup : public CzorQLLookup {
public:
    explicit CzorQLStoreLookup(CzorStepData* store) : m_pStore(store) {}
    CzorEntity* FindEntity(const std::string& name) override;
    CzorAttr* FindAttr(CzorEntity* entity, const std::string& name) override;
    CzorInstance* FindInstance(int id) override;

protected:
    CzorStepData* m_pStore;
};

// Relation codes of a condition.
enum zorQLRelation : int {
    zorQL_LT = 1, zorQL_GT = 2, zorQL_LE = 3, zorQL_GE = 4, zorQL_EQ = 5, zorQL_NE = 6, zorQL_IN = 7,
    zorQL_NOT_IN = 8, zorQL_LIKE = 9, zorQL_NOT_LIKE = 10, zorQL_NOT_EXIST = 12, zorQL_LIKE_LEFT = 13,
    zorQL_LIKE_RIGHT = 14, zorQL_NOT_LIKE_LEFT = 15, zorQL_NOT_LIKE_RIGHT = 16,
};

class CzorQLQueryParser : public CzorQLQuery {
public:
    // Look-ups go to lookup when given (not owned), else to the store.
    explicit CzorQLQueryParser(CzorStepData* store = nullptr, CzorQLLookup* lookup = nullptr);
    void SetStore(CzorStepData* store);
    void SetLookup(CzorQLLookup* lookup) { m_pLookup = lookup; }

    // Parses the whole text (code page 1251 bytes), starting from an empty query. True and the
    // valid mark on success; false with the error set.
    bool ParseSelectStatement(std::string_view text);

    // The error of the last parse: its text; line and column (line -1: no position); the byte
    // offset just behind the offending token and the token's length.
    const std::string& GetErrorInfo(std::string& text, int& line, int& column, int* position = nullptr,
                                    int* tokenLength = nullptr) const;
    int GetErrorCode() const { return m_nErrCode; }
    const std::string& GetErrorText() const { return m_ErrText; }
    // The text of an error code ("" for codes without one).
    static const char* ErrorText(int code);

private:
    struct Raise {
        int code;
        bool atNode;
    };
    [[noreturn]] void Fail(int code);
    [[noreturn]] void FailAt(CzorQLObject* node, int code);
    void SetErrorText(int code);
    bool NextToken();  // false at the end of the text (101 when blanks ran to it)
    void StepBack(const CzorQLLexer::State& before);
    void Mark();  // the current token becomes the position new nodes record

    CzorQLObject* ParseOutputSet(bool readFirst);
    CzorQLObject* ParseSetTerm();
    CzorQLPathElement* ParsePathElement();
    bool CheckBlockEnd(bool acceptClose);
    bool AtSetEnd() const;
    CzorQLExtent* FindExtent(const std::string& name, bool create);
    CzorInstance* FindInstance(int id);
    void ParseExtentDefinition();
    void ParseInstanceList(CzorQLExtent* extent);
    CzorQLObject* ParseCondition(CzorEntity* entity);
    CzorQLObject* ParseGroup(CzorEntity* entity);
    CzorQLObject* ParsePathCondition(CzorEntity* entity);
    void ParseValue(CzorQLPathElement* element, CzorQLLogOp* op, int type, int itemType);
    void ParseBlobConsist(CzorQLLogOp* op);
    bool ResolveOutputSet(CzorQLObject* node, CzorEntity* entity);
    void ResolvePath(CzorQLPathElement* element, CzorEntity* on);
    bool Related(CzorAttr* attr, CzorEntity* named) const;
    std::string Utf8(std::string_view cp1251) const;
    CzorQLLookup& Look() { return m_pLookup ? *m_pLookup : m_StoreLookup; }

    CzorQLStoreLookup m_StoreLookup;
    CzorQLLookup* m_pLookup;
    CzorQLLexer m_Lexer;
    std::string m_Token;
    std::string m_ErrText;
    int m_nErrCode = 0;
    int m_nDepth = 0;
    bool m_bInOutputSet = true;
    int m_nBodyOperands = 0;              // operands of the set expression of an extent body
};
