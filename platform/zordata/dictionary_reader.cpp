// The EXPRESS subset of the store's dictionary files.
#include <cctype>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/zordata/store_internal.h"


namespace {

struct Token {
    enum Kind { End, Word, Number, Punct } kind = End;
    std::string_view text;
    int line = 1;
};

class Lexer {
public:
    explicit Lexer(std::string_view text) : m_text(text) {}

    // False with error set on an unterminated comment or a stray character.
    bool Next(Token& t, std::string& error) {
        for (;;) {
            while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) {
                if (m_text[m_pos] == '\n') ++m_line;
                ++m_pos;
            }
            if (m_text.compare(m_pos, 2, "--") == 0) {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n') ++m_pos;
                continue;
            }
            if (m_text.compare(m_pos, 2, "(*") == 0) {
                const int startLine = m_line;
                int depth = 0;
                while (m_pos < m_text.size()) {
                    if (m_text.compare(m_pos, 2, "(*") == 0) { ++depth; m_pos += 2; continue; }
                    if (m_text.compare(m_pos, 2, "*)") == 0) { m_pos += 2; if (--depth == 0) break; continue; }
                    if (m_text[m_pos] == '\n') ++m_line;
                    ++m_pos;
                }
                if (depth != 0) {
                    error = "незакрытый комментарий, начатый в строке " + std::to_string(startLine);
                    return false;
                }
                continue;
            }
            break;
        }
        t.line = m_line;
        if (m_pos >= m_text.size()) { t.kind = Token::End; t.text = {}; return true; }
        const size_t start = m_pos;
        const unsigned char c = static_cast<unsigned char>(m_text[m_pos]);
        if (std::isalpha(c) || c == '_') {
            while (m_pos < m_text.size() &&
                   (std::isalnum(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '_'))
                ++m_pos;
            t.kind = Token::Word;
        } else if (std::isdigit(c)) {
            while (m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
            t.kind = Token::Number;
        } else if (std::strchr(";:()[],?", static_cast<char>(c)) && c != 0) {
            ++m_pos;
            t.kind = Token::Punct;
        } else {
            error = "строка " + std::to_string(m_line) + ": недопустимый символ";
            return false;
        }
        t.text = m_text.substr(start, m_pos - start);
        return true;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    int m_line = 1;
};

}  // namespace

class CzorDictionaryReader::Parser {
public:
    Parser(std::string_view text, CzorDictionaryReader::Result& out, std::string& error)
        : m_lex(text), m_out(out), m_error(error) {}

    bool Run();

private:
    bool Advance() { return m_lex.Next(m_tok, m_error); }
    bool Fail(const std::string& what) {
        m_error = "строка " + std::to_string(m_tok.line) + ": " + what;
        return false;
    }
    bool IsWord(const char* w) const { return m_tok.kind == Token::Word && zor::EqualsNoCase(m_tok.text, w); }
    bool IsPunct(char c) const { return m_tok.kind == Token::Punct && m_tok.text[0] == c; }
    bool ExpectWord(const char* w) {
        if (!IsWord(w)) return Fail(std::string("ожидается ") + w);
        return Advance();
    }
    bool ExpectPunct(char c) {
        if (!IsPunct(c)) return Fail(std::string("ожидается '") + c + "'");
        return Advance();
    }
    bool TakeName(std::string& name, const char* what) {
        if (m_tok.kind != Token::Word) return Fail(std::string("ожидается ") + what);
        name = std::string(m_tok.text);
        return Advance();
    }
    bool SkipParens();
    bool ParseEntity(int id);
    bool ParseType(CzorAttr& attr);
    bool Link();

    Lexer m_lex;
    Token m_tok;
    CzorDictionaryReader::Result& m_out;
    std::string& m_error;
    // Look-ups by name in capitals, so that a large dictionary reads in time proportional to its size.
    std::unordered_map<std::string, CzorEntity*> m_entityByName;
    std::unordered_set<std::string> m_attrNames;  // entity id, ".", attribute name
};

namespace {

// No schema nests entities this deep; a deeper chain is a damaged or hostile file.
constexpr int kMaxDepth = 64;

std::string AttrKey(const CzorEntity* e, std::string_view name) {
    return std::to_string(e->GetId()) + "." + zor_detail::ToUpper(std::string(name));
}

}  // namespace

bool CzorDictionaryReader::Parser::SkipParens() {
    if (!IsPunct('(')) return Fail("ожидается '('");
    int depth = 0;
    do {
        if (m_tok.kind == Token::End) return Fail("незакрытая скобка");
        if (IsPunct('(')) ++depth;
        if (IsPunct(')')) --depth;
        if (!Advance()) return false;
    } while (depth > 0);
    return true;
}

bool CzorDictionaryReader::Parser::Run() {
    if (!Advance()) return false;
    if (!ExpectWord("SCHEMA")) return false;
    if (!TakeName(m_out.name, "имя схемы")) return false;
    if (!ExpectPunct(';')) return false;
    int id = 0;
    while (IsWord("ENTITY")) {
        if (!Advance() || !ParseEntity(++id)) return false;
    }
    if (!IsWord("END_SCHEMA")) return Fail("ожидается ENTITY или END_SCHEMA");
    if (!Advance() || !ExpectPunct(';')) return false;
    if (m_tok.kind != Token::End) return Fail("текст после END_SCHEMA");
    return Link();
}

bool CzorDictionaryReader::Parser::ParseEntity(int id) {
    std::string name;
    if (!TakeName(name, "имя сущности")) return false;
    if (id > 32767) return Fail("слишком много сущностей");
    std::unique_ptr<CzorEntity> entity(new CzorEntity(id, name));
    while (!IsPunct(';')) {
        if (IsWord("ABSTRACT")) {
            if (!Advance()) return false;
        } else if (IsWord("SUPERTYPE")) {
            if (!Advance() || !ExpectWord("OF") || !SkipParens()) return false;
        } else if (IsWord("SUBTYPE")) {
            if (!Advance() || !ExpectWord("OF") || !ExpectPunct('(')) return false;
            if (!entity->m_SupertypeName.empty()) return Fail("повторное SUBTYPE OF");
            if (!TakeName(entity->m_SupertypeName, "имя супертипа")) return false;
            if (IsPunct(',')) return Fail("сущность " + name + ": поддерживается только один супертип");
            if (!ExpectPunct(')')) return false;
        } else {
            return Fail("ожидается ';' после имени сущности " + name);
        }
    }
    if (!Advance()) return false;
    while (!IsWord("END_ENTITY")) {
        if (m_tok.kind == Token::End) return Fail("нет END_ENTITY у сущности " + name);
        std::string attrName;
        if (m_tok.kind != Token::Word) return Fail("ожидается имя атрибута");
        attrName = std::string(m_tok.text);
        if (!Advance()) return false;
        if (!IsPunct(':')) {
            if (zor::EqualsNoCase(attrName, "WHERE") || zor::EqualsNoCase(attrName, "UNIQUE") ||
                zor::EqualsNoCase(attrName, "DERIVE") || zor::EqualsNoCase(attrName, "INVERSE"))
                return Fail("раздел " + attrName + " не поддерживается");
            return Fail("ожидается ':' после имени атрибута " + attrName);
        }
        if (!Advance()) return false;
        if (m_out.attrs.size() >= 32767) return Fail("слишком много атрибутов");
        auto attr = std::make_unique<CzorAttr>(attrName, entity.get());
        attr->m_nId = static_cast<int>(m_out.attrs.size()) + 1;
        attr->m_bOptional = false;
        if (IsWord("OPTIONAL")) {
            attr->m_bOptional = true;
            if (!Advance()) return false;
        }
        if (!ParseType(*attr)) return false;
        if (!ExpectPunct(';')) return false;
        if (!m_attrNames.insert(AttrKey(entity.get(), attrName)).second)
            return Fail("атрибут " + attrName + " объявлен дважды");
        entity->m_OwnAttrs.Add(attr.get());
        m_out.attrs.push_back(std::move(attr));
    }
    if (!Advance() || !ExpectPunct(';')) return false;
    if (!m_entityByName.emplace(entity->GetUpperName(), entity.get()).second)
        return Fail("сущность " + name + " объявлена дважды");
    m_out.entities.push_back(std::move(entity));
    return true;
}

bool CzorDictionaryReader::Parser::ParseType(CzorAttr& attr) {
    if (m_tok.kind != Token::Word) return Fail("ожидается тип атрибута " + attr.GetName());
    auto simple = [&](int type) -> bool {
        attr.m_Type = type;
        if (!Advance()) return false;
        if ((type == zorSTRING || type == zorBINARY) && IsPunct('(')) {
            if (!SkipParens()) return false;
            if (IsWord("FIXED") && !Advance()) return false;
        }
        return true;
    };
    if (IsWord("INTEGER")) return simple(zorINTEGER);
    if (IsWord("REAL")) {
        if (!simple(zorREAL)) return false;
        return IsPunct('(') ? SkipParens() : true;
    }
    if (IsWord("STRING")) return simple(zorSTRING);
    if (IsWord("BOOLEAN")) return simple(zorBOOLEAN);
    if (IsWord("BINARY")) return simple(zorBINARY);
    if (IsWord("LIST")) {
        if (!Advance() || !ExpectPunct('[')) return false;
        if (m_tok.kind != Token::Number) return Fail("ожидается нижняя граница списка");
        if (!Advance() || !ExpectPunct(':')) return false;
        if (m_tok.kind != Token::Number && !IsPunct('?')) return Fail("ожидается верхняя граница списка");
        if (!Advance() || !ExpectPunct(']') || !ExpectWord("OF")) return false;
        if (IsWord("UNIQUE") && !Advance()) return false;
        if (m_tok.kind != Token::Word || IsWord("LIST") || IsWord("INTEGER") || IsWord("REAL") ||
            IsWord("STRING") || IsWord("BOOLEAN") || IsWord("BINARY"))
            return Fail("список атрибута " + attr.GetName() + ": поддерживаются только списки экземпляров");
        attr.m_Type = zorAGGREGATE;
        attr.m_ItemType = zorINSTANCE;
        attr.m_DomainName = std::string(m_tok.text);
        return Advance();
    }
    if (IsWord("SET") || IsWord("BAG") || IsWord("ARRAY") || IsWord("LOGICAL") || IsWord("NUMBER") ||
        IsWord("SELECT") || IsWord("ENUMERATION"))
        return Fail("тип " + std::string(m_tok.text) + " не поддерживается");
    attr.m_Type = zorINSTANCE;
    attr.m_DomainName = std::string(m_tok.text);
    return Advance();
}

bool CzorDictionaryReader::Parser::Link() {
    auto find = [&](const std::string& n) -> CzorEntity* {
        const auto it = m_entityByName.find(zor_detail::ToUpper(n));
        return it == m_entityByName.end() ? nullptr : it->second;
    };
    for (auto& e : m_out.entities) {
        if (!e->m_SupertypeName.empty()) {
            CzorEntity* super = find(e->m_SupertypeName);
            if (!super) { m_error = "сущность " + e->GetName() + ": нет супертипа " + e->m_SupertypeName; return false; }
            e->m_Supertypes.Add(super);
            super->m_Subtypes.Add(e.get());
        }
        for (CzorAttr* a : e->m_OwnAttrs) {
            if (a->m_DomainName.empty()) continue;
            a->m_pDomain = find(a->m_DomainName);
            if (!a->m_pDomain) {
                m_error = "атрибут " + e->GetName() + "." + a->GetName() + ": нет сущности " + a->m_DomainName;
                return false;
            }
        }
    }
    // Each entity is placed after its supertype, walking up the chain without recursion: the path from
    // an entity up to one already placed is kept, so a cycle shows as an entity met twice on it.
    std::unordered_map<const CzorEntity*, int> state;  // 1 on the path being walked, 2 placed
    std::vector<CzorEntity*> path;
    for (auto& start : m_out.entities) {
        path.clear();
        CzorEntity* e = start.get();
        while (e && state[e] != 2) {
            if (state[e] == 1) { m_error = "сущность " + e->GetName() + " наследует сама себя"; return false; }
            if (path.size() > static_cast<size_t>(kMaxDepth)) {
                m_error = "сущность " + start->GetName() + ": цепочка супертипов длиннее " + std::to_string(kMaxDepth);
                return false;
            }
            state[e] = 1;
            path.push_back(e);
            e = e->GetSupertype();
        }
        for (auto it = path.rbegin(); it != path.rend(); ++it) {
            CzorEntity* x = *it;
            if (CzorEntity* super = x->GetSupertype()) {
                x->m_nDepth = super->m_nDepth + 1;
                x->m_nInherited = super->GetAttrCount();
            }
            if (x->m_nDepth > kMaxDepth) {
                m_error = "сущность " + x->GetName() + ": цепочка супертипов длиннее " + std::to_string(kMaxDepth);
                return false;
            }
            // Inherited attributes come first; an attribute may not repeat the name of an inherited one.
            int index = x->m_nInherited;
            for (CzorAttr* a : x->m_OwnAttrs) {
                for (const CzorEntity* up = x->GetSupertype(); up; up = up->GetSupertype())
                    if (m_attrNames.count(AttrKey(up, a->GetName()))) {
                        m_error = "атрибут " + x->GetName() + "." + a->GetName() + " уже унаследован";
                        return false;
                    }
                a->m_nIndex = index++;
            }
            if (x->GetAttrCount() > 65535) { m_error = "слишком много атрибутов у " + x->GetName(); return false; }
            state[x] = 2;
        }
    }
    return true;
}

bool CzorDictionaryReader::Read(std::string_view text, Result& out, std::string& error) {
    out = Result();
    Parser p(text, out, error);
    if (p.Run()) return true;
    out = Result();
    return false;
}
