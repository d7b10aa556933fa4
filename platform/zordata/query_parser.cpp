#include "platform/zordata/query_parser.h"

#include <charconv>

#include "platform/text/cp1251.h"
#include "platform/text/numbers.h"
#include "platform/zordata/aggr.h"
#include "platform/zordata/stepdata.h"

namespace {

struct ErrorRow {
    int code;
    const char* text;
};
constexpr ErrorRow kErrors[] = {
    {101, "Неправильное окончание запроса"},
    {102, "Ожидается SELECT"},
    {103, "Ожидается определение выходного множества"},
    {104, "Ожидается определение условия (символы \".\" или \"(\" )"},
    {105, "Ожидается FROM"},
    {106, "Неправильный FROM"},
    {107, "Ожидается AND, OR, ')' или FROM"},
    {108, "Неправильный служебный символ"},
    {109, "Ожидается имя энтити"},
    {110, "Ожидается символ ентити \"->\""},
    {111, "Отсутствует ентити с таким именем"},
    {112, "У текущей ентити нет такого атрибута"},
    {113, "Атрибут указывает на ентити другого типа"},
    {114, "Ожидается закрывающая скобка"},
    {115, "Лишняя закрывающая собка"},
    {116, "Неизвестное в этом контексте слово"},
    {117, "Ожидается имя экстента"},
    {118, "Неправильное имя экстента"},
    {119, "Ожидается определение экстента"},
    {120, "Экстент уже определен"},
    {121, "Экстент не определен"},
    {122, "Ожидается {"},
    {123, "Ожидается }"},
    {124, "Ожидается {"},
    {125, "Ожидается логическое выражение или \"->\""},
    {126, "Ожидается AND, OR, или ')'"},
    {127, "Ожидается значение выражения"},
    {128, "Ожидается значение #INSTANCE"},
    {129, "Ожидается значение #INSTANCE или #EXTENT"},
    {130, "Недопустимое значение #INSTANCE или #EXTENT"},
    {131, "Недопустимое строковое значение"},
    {132, "Ожидается строковое значение"},
    {133, "Ожидается целое значение"},
    {134, "Ожидается дробное значение"},
    {135, "Ожидается булевое значение (true или false)"},
    {136, "Несуществующий номер #INSTANCE"},
    {140, "Недопустимое логическое отношение"},
    {141, "Тип используемого атрибута не поддерживается запросами"},
    {150, "Ошибка в структуре выходных кустов"},
    {151, "Неправильный указатель"},
    {152, "Ожидается логическая операция"},
    {153, "Ожидается атрибут типа zorINSTANCE или zorSELECT"},
    {154, "Ожидается запятая"},
};

struct RelationRow {
    const char* word;
    int code;
};
constexpr RelationRow kRelations[] = {
    {"<", zorQL_LT}, {">", zorQL_GT}, {"<=", zorQL_LE}, {">=", zorQL_GE}, {"=", zorQL_EQ}, {"!=", zorQL_NE},
    {"in", zorQL_IN}, {"not_in", zorQL_NOT_IN}, {"like", zorQL_LIKE}, {"like_left", zorQL_LIKE_LEFT},
    {"like_right", zorQL_LIKE_RIGHT},
};
constexpr RelationRow kNotRelations[] = {
    {"in", zorQL_NOT_IN}, {"like", zorQL_NOT_LIKE}, {"exist", zorQL_NOT_EXIST},
    {"like_left", zorQL_NOT_LIKE_LEFT}, {"like_right", zorQL_NOT_LIKE_RIGHT},
};

bool Quoted(const std::string& t) { return !t.empty() && (t[0] == '"' || t[0] == '\''); }
// A word where a name or a value is expected: the end of the text counts as reserved too.
bool Reserved(const std::string& t) { return t.empty() || CzorQLLexer::IsReservedWord(t); }

// The whole word as an int (an optional sign, digits, nothing else, within range).
bool WholeInt(const std::string& t, int& out) {
    size_t used = 0;
    out = zor::TextToInt(t, &used);
    if (t.empty() || used != t.size() || t[0] == ' ' || t[0] == '\t') return false;
    long long check = 0;
    const char* b = t.data() + (t[0] == '+' ? 1 : 0);
    const auto r = std::from_chars(b, t.data() + t.size(), check);
    return r.ec == std::errc() && check == out;
}
bool WholeReal(const std::string& t, double& out) {
    size_t used = 0;
    out = zor::TextToReal(t, &used);
    return !t.empty() && used == t.size() && t[0] != ' ' && t[0] != '\t';
}

}  // namespace

CzorEntity* CzorQLStoreLookup::FindEntity(const std::string& name) {
    return m_pStore ? m_pStore->GetEntityBN(name) : nullptr;
}
CzorAttr* CzorQLStoreLookup::FindAttr(CzorEntity* entity, const std::string& name) {
    return m_pStore ? m_pStore->GetAttrDefinition(entity, name) : nullptr;
}
CzorInstance* CzorQLStoreLookup::FindInstance(int id) {
    if (!m_pStore || id <= 0) return nullptr;
    for (CzorInstance* inst : m_pStore->GetInstances())
        if (inst && inst->GetId() == id && !inst->IsDeleted()) return inst;
    return nullptr;
}

CzorQLQueryParser::CzorQLQueryParser(CzorStepData* store, CzorQLLookup* lookup)
    : CzorQLQuery(store), m_StoreLookup(store), m_pLookup(lookup) {}

void CzorQLQueryParser::SetStore(CzorStepData* store) {
    m_pStore = store;
    m_StoreLookup = CzorQLStoreLookup(store);
}

const char* CzorQLQueryParser::ErrorText(int code) {
    for (const ErrorRow& r : kErrors)
        if (r.code == code) return r.text;
    return "";
}

void CzorQLQueryParser::SetErrorText(int code) {
    for (const ErrorRow& r : kErrors)
        if (r.code == code) m_ErrText = r.text;
}

const std::string& CzorQLQueryParser::GetErrorInfo(std::string& text, int& line, int& column, int* position,
                                                   int* tokenLength) const {
    text = m_ErrText;
    line = m_nErrLine;
    column = m_nErrColumn;
    if (position) *position = m_nErrPos;
    if (tokenLength) *tokenLength = m_nErrTokenLen;
    return m_ErrText;
}

void CzorQLQueryParser::Fail(int code) {
    m_nErrLine = m_nLine;
    m_nErrColumn = m_nColumn;
    m_nErrPos = m_nPos;
    m_nErrTokenLen = m_nTokenLen;
    throw Raise{code, false};
}

void CzorQLQueryParser::FailAt(CzorQLObject* node, int code) {
    if (node) {
        node->SetParentErrPosition();
    } else {
        m_nErrLine = -1;
        m_nErrColumn = 0;
        m_nErrPos = 0;
        m_nErrTokenLen = 0;
    }
    throw Raise{code, true};
}

void CzorQLQueryParser::Mark() {
    const CzorQLLexer::State& s = m_Lexer.GetState();
    m_nLine = s.line;
    m_nColumn = s.column;
    m_nPos = static_cast<int>(s.pos);
    m_nTokenLen = static_cast<int>(m_Token.size());
}

bool CzorQLQueryParser::NextToken() {
    const CzorQLLexer::Result r = m_Lexer.Next(m_Token);
    Mark();
    if (r == CzorQLLexer::Result::BadEnd) Fail(101);
    return r == CzorQLLexer::Result::Token;
}

void CzorQLQueryParser::StepBack(const CzorQLLexer::State& before) {
    m_Lexer.SetState(before);
}

std::string CzorQLQueryParser::Utf8(std::string_view cp1251) const { return zor::Cp1251ToUtf8(cp1251); }

CzorInstance* CzorQLQueryParser::FindInstance(int id) {
    if (id <= 0) return nullptr;
    return Look().FindInstance(id);
}

bool CzorQLQueryParser::ParseSelectStatement(std::string_view text) {
    Clear();
    m_nLine = m_nColumn = 1;
    m_nPos = m_nTokenLen = 0;
    m_nErrLine = m_nErrColumn = 1;
    m_nErrPos = m_nErrTokenLen = 0;
    m_nErrCode = 0;
    m_ErrText.clear();
    m_Token.clear();
    m_nDepth = 0;
    m_Lexer.Reset(text);
    if (!m_pLookup) m_StoreLookup = CzorQLStoreLookup(m_pStore);
    try {
        NextToken();
        if (m_Token != "select") Fail(102);
        m_nDepth = 0;
        m_bInOutputSet = true;
        m_pRoot = ParseOutputSet(true);
        if (m_Token != "from") Fail(105);
        if (!m_pRoot) Fail(103);
        m_bInOutputSet = false;
        NextToken();
        for (;;) {
            if (m_Token == "end_select") {
                for (CzorQLObject* e : m_Extents)
                    if (!static_cast<CzorQLExtent*>(e)->m_bDefined) FailAt(e, 121);
                ResolveOutputSet(m_pRoot, nullptr);
                m_bValid = true;
                return true;
            }
            if (m_Token.empty()) Fail(101);
            ParseExtentDefinition();
        }
    } catch (const Raise& r) {
        m_nErrCode = r.code;
        SetErrorText(r.code);
        m_bValid = false;
        return false;
    }
}

// ---- Set expressions

bool CzorQLQueryParser::AtSetEnd() const { return m_Token == (m_bInOutputSet ? "from" : "}"); }

bool CzorQLQueryParser::CheckBlockEnd(bool acceptClose) {
    if (AtSetEnd()) {
        if (m_nDepth > 0) Fail(114);
        if (m_nDepth < 0) Fail(115);
        return true;
    }
    if (acceptClose && m_Token == ")") {
        if (m_nDepth == 0) {
            // A ")" with no "(" ends the set here; the caller reports what it expected instead.
            if (!m_bInOutputSet) Fail(115);
            m_nDepth = -1;
        }
        return true;
    }
    return false;
}

CzorQLQuery::CzorQLObject* CzorQLQueryParser::ParseOutputSet(bool readFirst) {
    if (readFirst) NextToken();
    CzorQLObject* left = nullptr;
    // set = and-chain { "or" set }: "and" groups to the left, "or" to the right.
    CzorQLObject* chain = ParseSetTerm();
    while (m_Token == "and") {
        auto* g = new CzorQLGroupOp(this);
        g->m_nOperation = 1;
        g->m_pLeft = chain;
        NextToken();
        g->m_pRight = ParseSetTerm();
        chain = g;
    }
    left = chain;
    if (m_Token == "or") {
        auto* g = new CzorQLGroupOp(this);
        g->m_nOperation = 2;
        g->m_pLeft = left;
        NextToken();
        g->m_pRight = ParseOutputSet(false);
        return g;
    }
    return left;
}

CzorQLQuery::CzorQLObject* CzorQLQueryParser::ParseSetTerm() {
    CzorQLObject* term = nullptr;
    if (m_Token == "(") {
        ++m_nDepth;
        NextToken();
        term = ParseOutputSet(false);
        if (m_Token != ")" || m_nDepth <= 0) Fail(114);
        --m_nDepth;
        NextToken();
    } else {
        if (Reserved(m_Token)) Fail(103);
        auto* field = new CzorQLField(this);
        if (m_bInOutputSet) {
            field->m_Name = Utf8(m_Token);
        } else {
            if (m_Token[0] != '#') Fail(103);
            field->m_Name = Utf8(m_Token.substr(1));
            CzorQLExtent* ext = FindExtent(field->m_Name, false);
            if (!ext || !ext->m_bDefined) Fail(121);
            ext->m_bUsed = true;
            field->m_pExtent = ext;
        }
        const bool first = m_nBodyOperands++ == 0;
        NextToken();
        if (m_Token == ".") {
            if (!m_bInOutputSet && first) Fail(152);
            field->m_pPath = ParsePathElement();
        }
        term = field;
    }
    if (m_Token == "and" || m_Token == "or" || CheckBlockEnd(true)) return term;
    if (m_Token.empty()) Fail(101);
    Fail(107);
}

CzorQLQuery::CzorQLPathElement* CzorQLQueryParser::ParsePathElement() {
    NextToken();
    if (Reserved(m_Token)) Fail(108);
    auto* el = new CzorQLPathElement(this);
    el->m_Name = Utf8(m_Token);
    NextToken();
    if (m_Token != "->") return el;
    NextToken();
    if (Reserved(m_Token)) Fail(109);
    el->m_pEntity = Look().FindEntity(Utf8(m_Token));
    if (!el->m_pEntity) Fail(111);
    NextToken();
    if (m_Token == ".") el->m_pNext = ParsePathElement();
    return el;
}

// ---- Extents

CzorQLQuery::CzorQLExtent* CzorQLQueryParser::FindExtent(const std::string& name, bool create) {
    for (CzorQLObject* o : m_Extents) {
        auto* e = static_cast<CzorQLExtent*>(o);
        if (e->m_Name == name) return e;
    }
    if (!create) return nullptr;
    auto* e = new CzorQLExtent(this);
    e->m_Name = name;
    return e;
}

void CzorQLQueryParser::ParseExtentDefinition() {
    if (Reserved(m_Token)) Fail(117);
    if (m_Token[0] == '#' || CzorQLLexer::IsDigit(static_cast<unsigned char>(m_Token[0]))) Fail(118);
    CzorQLExtent* ext = FindExtent(Utf8(m_Token), true);
    if (ext->m_bDefined) Fail(120);
    NextToken();
    if (m_Token != "{") Fail(122);
    NextToken();
    m_nDepth = 0;
    CzorEntity* entity = Reserved(m_Token) ? nullptr : Look().FindEntity(Utf8(m_Token));
    if (entity) {
        ext->m_pEntity = entity;
        NextToken();
        if (m_Token != "}") {
            ext->m_pCondition = ParseCondition(entity);
            if (!ext->m_pCondition) Fail(119);
            if (m_nDepth > 0) Fail(114);
            if (m_nDepth < 0) Fail(115);
            NextToken();
            if (m_Token != "}") Fail(123);
        }
    } else {
        ext->m_pEntity = nullptr;
        ext->m_Instances.RemoveAll();
        ext->m_pSetExpr = nullptr;
        if (m_Token.empty() || m_Token[0] != '#') Fail(111);
        if (CzorQLLexer::IsNumber(std::string_view(m_Token).substr(1))) {
            ParseInstanceList(ext);
        } else {
            m_bInOutputSet = false;
            m_nBodyOperands = 0;
            ext->m_pSetExpr = ParseOutputSet(false);
        }
    }
    ext->m_bDefined = true;
    NextToken();
    if (m_Token != ".") return;
    if (!ext->m_pEntity) Fail(119);
    NextToken();
    if (Reserved(m_Token)) Fail(112);
    CzorAttr* attr = Look().FindAttr(ext->m_pEntity, Utf8(m_Token));
    if (!attr) Fail(112);
    if (attr->GetType() != zorINSTANCE && attr->GetType() != zorAGGREGATE && attr->GetType() != 9) Fail(153);
    ext->m_pNavAttr = attr;
    NextToken();
    if (m_Token != "->") return;
    NextToken();
    if (Reserved(m_Token)) Fail(109);
    ext->m_pNavEntity = Look().FindEntity(Utf8(m_Token));
    if (!ext->m_pNavEntity) Fail(111);
    NextToken();
}

void CzorQLQueryParser::ParseInstanceList(CzorQLExtent* ext) {
    for (;;) {
        int id = 0;
        if (!WholeInt(m_Token.substr(1), id) || id <= 0) Fail(136);
        CzorInstance* inst = FindInstance(id);
        if (!inst) Fail(136);
        if (!ext->m_Instances.Contains(inst)) ext->m_Instances.Add(inst);
        NextToken();
        if (m_Token == "}") return;
        if (m_Token != ",") Fail(154);
        NextToken();
        if (m_Token == "}") return;
        if (m_Token.size() < 2 || m_Token[0] != '#' || !CzorQLLexer::IsNumber(std::string_view(m_Token).substr(1)))
            Fail(128);
    }
}

// ---- Conditions

CzorQLQuery::CzorQLObject* CzorQLQueryParser::ParseCondition(CzorEntity* entity) {
    if (m_Token == "}") return nullptr;
    if (m_Token == ")") {
        --m_nDepth;
        return nullptr;
    }
    if (m_Token == ".") return ParsePathCondition(entity);
    if (m_Token != "(") Fail(104);
    ++m_nDepth;
    NextToken();
    return ParseGroup(entity);
}

CzorQLQuery::CzorQLObject* CzorQLQueryParser::ParseGroup(CzorEntity* entity) {
    CzorQLObject* cond = ParseCondition(entity);
    // An empty group or operand would leave a hole in the tree.
    if (!cond) Fail(104);
    for (;;) {
        NextToken();
        if (m_Token == ")") {
            --m_nDepth;
            return cond;
        }
        if (m_Token == "}") return cond;
        if (m_Token == "and") {
            auto* g = new CzorQLGroupOp(this);
            g->m_nOperation = 1;
            g->m_pLeft = cond;
            NextToken();
            g->m_pRight = ParseCondition(entity);
            if (!g->m_pRight) Fail(104);
            cond = g;
            continue;
        }
        if (m_Token == "or") {
            // "or" takes the whole rest of the group as its right operand.
            auto* g = new CzorQLGroupOp(this);
            g->m_nOperation = 2;
            g->m_pLeft = cond;
            NextToken();
            g->m_pRight = ParseGroup(entity);
            return g;
        }
        Fail(126);
    }
}

CzorQLQuery::CzorQLObject* CzorQLQueryParser::ParsePathCondition(CzorEntity* entity) {
    NextToken();
    auto* el = new CzorQLPathElement(this);
    int type = zorINSTANCE, itemType = zorNOTYPE;
    if (m_Token == "#") {
        el->m_pEntity = entity;
        el->m_Name = "#";
        NextToken();
        if (m_Token == "->") Fail(152);
    } else {
        if (Reserved(m_Token)) Fail(112);
        CzorAttr* attr = Look().FindAttr(entity, Utf8(m_Token));
        if (!attr) Fail(112);
        el->m_pAttr = attr;
        el->m_Name = Utf8(m_Token);
        type = attr->GetType();
        itemType = attr->GetItemType();
        NextToken();
        if (m_Token == "->") {
            NextToken();
            CzorEntity* named = Reserved(m_Token) ? nullptr : Look().FindEntity(Utf8(m_Token));
            if (!named) Fail(111);
            if (!Related(attr, named)) Fail(113);
            el->m_pEntity = named;
            const CzorQLLexer::State before = m_Lexer.GetState();
            const std::string entityToken = m_Token;
            const int line = m_nLine, column = m_nColumn, pos = m_nPos, len = m_nTokenLen;
            NextToken();
            if (m_Token == "and" || m_Token == "or" || m_Token == ")" || m_Token == "}") {
                // The caller reads that word again: the whole position goes back behind the entity.
                StepBack(before);
                m_Token = entityToken;
                m_nLine = line;
                m_nColumn = column;
                m_nPos = pos;
                m_nTokenLen = len;
                return el;
            }
            el->m_pNext = ParseCondition(named);
            if (!el->m_pNext) Fail(104);
            return el;
        }
    }
    auto* op = new CzorQLLogOp(this);
    el->m_pRelation = op;
    op->m_nOperandKind = 1;
    op->m_pValue = new CzorValue();
    if (m_Token == "not") {
        NextToken();
        for (const RelationRow& r : kNotRelations)
            if (m_Token == r.word) op->m_nRelation = r.code;
    } else {
        for (const RelationRow& r : kRelations)
            if (m_Token == r.word) op->m_nRelation = r.code;
    }
    if (!op->m_nRelation) Fail(125);
    NextToken();
    ParseValue(el, op, type, itemType);
    return el;
}

// ---- Values

bool CzorQLQueryParser::Related(CzorAttr* attr, CzorEntity* named) const {
    CzorEntity* target = attr ? attr->GetDomain() : nullptr;
    if (!target || !named || target == named) return true;
    // A reference may be narrowed to a subtype of its target, or named by a supertype.
    return named->IsKindOf(target) || target->IsKindOf(named);
}

void CzorQLQueryParser::ParseBlobConsist(CzorQLLogOp* op) {
    NextToken();
    if (m_Token != "(") Fail(122);
    CzorAggr texts(zorSTRING);
    for (;;) {
        NextToken();
        if (!Quoted(m_Token) || m_Token.size() < 3) Fail(132);
        std::string t;
        for (char c : m_Token)
            if (c != m_Token[0]) t.push_back(c);
        CzorValue v;
        v.Set(Utf8(t));
        texts.Add(v);
        NextToken();
        if (m_Token == ")") break;
        if (m_Token != ",") Fail(123);
    }
    op->m_nOperandKind = 3;
    if (texts.GetSize() == 1) op->m_pValue->Set(*texts.GetByIndex(0));
    else op->m_pValue->Set(texts);
}

void CzorQLQueryParser::ParseValue(CzorQLPathElement* el, CzorQLLogOp* op, int type, int itemType) {
    (void)el;
    const int rel = op->m_nRelation;
    CzorValue& value = *op->m_pValue;
    const auto scalar = [&](int t, bool checks) {
        std::string text = m_Token;
        if (checks && text == "-" && (t == zorINTEGER || t == zorREAL)) {
            NextToken();
            if (Reserved(m_Token)) Fail(127);
            text = "-" + m_Token;
        } else if (Reserved(text)) {
            Fail(127);
        }
        if (text[0] == '#') Fail(130);
        switch (t) {
        case zorINTEGER:
        case zorREAL: {
            if (Quoted(text)) Fail(131);
            if (checks && (rel == zorQL_IN || rel == zorQL_LIKE || rel == zorQL_LIKE_LEFT || rel == zorQL_LIKE_RIGHT))
                Fail(140);
            if (t == zorINTEGER) {
                int n = 0;
                if (!WholeInt(text, n)) Fail(133);
                value.Set(n);
            } else {
                double d = 0;
                if (!WholeReal(text, d)) Fail(134);
                value.Set(d);
            }
            return;
        }
        case zorSTRING:
        case 11: {
            if (checks && text == "@blob_consist") {
                if (rel != zorQL_EQ && rel != zorQL_LIKE) Fail(140);
                ParseBlobConsist(op);
                return;
            }
            if (!Quoted(text)) Fail(132);
            std::string t;
            for (char c : text)
                if (c != text[0]) t.push_back(c);
            value.Set(Utf8(t));
            return;
        }
        case zorBOOLEAN:
            if (checks && rel != zorQL_EQ && rel != zorQL_NE) Fail(140);
            if (text == "true") value.Set(true);
            else if (text == "false") value.Set(false);
            else Fail(135);
            return;
        default: Fail(141);
        }
    };
    switch (type) {
    case zorINSTANCE:
    case 9: {
        if (Reserved(m_Token)) Fail(127);
        if (m_Token[0] != '#') Fail(129);
        const std::string rest = m_Token.substr(1);
        if (rest.empty()) Fail(130);
        if (CzorQLLexer::IsNumber(rest)) {
            int n = 0;
            if (!WholeInt(rest, n)) Fail(130);
            if (rel == zorQL_EQ || rel == zorQL_NE) {
                // "#0" means no reference; a number that names no instance is refused, never
                // turned into "no reference" (which would select the opposite of what was typed).
                if (n != 0) {
                    CzorInstance* inst = FindInstance(n);
                    if (!inst) Fail(136);
                    value.Set(inst);
                }
            } else {
                value.Set(n);
            }
            return;
        }
        if (rel != zorQL_IN && rel != zorQL_NOT_IN) Fail(140);
        // Only an extent defined before this one: "#a" inside a itself would make the tree refer to itself.
        CzorQLExtent* ext = FindExtent(Utf8(rest), false);
        if (!ext || !ext->m_bDefined) Fail(121);
        ext->m_bUsed = true;
        op->m_nOperandKind = 2;
        op->m_pExtent = ext;
        delete op->m_pValue;
        op->m_pValue = nullptr;
        return;
    }
    case zorINTEGER:
    case zorREAL:
    case zorSTRING:
    case 11:
    case zorBOOLEAN: scalar(type, true); return;
    case zorAGGREGATE: {
        if (Reserved(m_Token)) Fail(127);
        if (rel != zorQL_LIKE && itemType != zorSTRING) Fail(140);
        if (itemType == zorINSTANCE || itemType == 9) {
            int n = 0;
            if (m_Token[0] != '#' || !CzorQLLexer::IsNumber(m_Token.substr(1)) || !WholeInt(m_Token.substr(1), n) ||
                n <= 0)
                Fail(128);
            CzorInstance* inst = FindInstance(n);
            if (!inst) Fail(136);
            value.Set(inst);
            return;
        }
        if (itemType == zorINTEGER || itemType == zorREAL || itemType == zorSTRING || itemType == zorBOOLEAN) {
            scalar(itemType, false);
            return;
        }
        Fail(141);
    }
    default: Fail(141);
    }
}

// ---- Resolution of the output set

bool CzorQLQueryParser::ResolveOutputSet(CzorQLObject* node, CzorEntity* entity) {
    (void)entity;
    m_nErrLine = -1;
    if (!node) FailAt(nullptr, 151);
    if (node->GetKind() == kGroupOp) {
        auto* g = static_cast<CzorQLGroupOp*>(node);
        ResolveOutputSet(g->m_pLeft, nullptr);
        ResolveOutputSet(g->m_pRight, nullptr);
        return true;
    }
    if (node->GetKind() != kField) FailAt(node, 150);
    auto* field = static_cast<CzorQLField*>(node);
    CzorQLExtent* ext = FindExtent(field->m_Name, false);
    if (!ext) FailAt(field, 121);
    field->m_pExtent = ext;
    if (!ext->m_pEntity) {
        if (!ext->m_bDefined) FailAt(ext, 121);
        // The instances of a list or a set have no one entity to read a path on.
        if (field->m_pPath) FailAt(field->m_pPath, 150);
        return true;
    }
    ext->m_bUsed = true;
    if (!field->m_pPath) return true;
    // Behind a navigation the instances are those the attribute refers to.
    CzorEntity* on = ext->m_pNavEntity  ? ext->m_pNavEntity
                     : ext->m_pNavAttr ? ext->m_pNavAttr->GetDomain()
                                       : ext->m_pEntity;
    ResolvePath(field->m_pPath, on);
    return true;
}

void CzorQLQueryParser::ResolvePath(CzorQLPathElement* el, CzorEntity* on) {
    while (el) {
        m_nErrLine = -1;
        if (!on) FailAt(el, 150);
        CzorAttr* attr = Look().FindAttr(on, el->m_Name);
        if (!attr) FailAt(el, 112);
        if (el->m_pEntity && !Related(attr, el->m_pEntity)) FailAt(el, 113);
        el->m_pAttr = attr;
        if (el->m_pNext && el->m_pNext->GetKind() != kPathElement) FailAt(el->m_pNext, 150);
        on = el->m_pEntity;
        el = static_cast<CzorQLPathElement*>(el->m_pNext);
    }
}
