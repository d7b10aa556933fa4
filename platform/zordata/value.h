#pragma once
// One typed value of the object store: the payload of an attribute, of a list item,
// of a data-source cell. Values own what they point at (text, bytes, lists) except
// instances, which belong to their store.
#include <cstddef>
#include <cstdint>
#include <string>

class CzorInstance;
class CzorDataBuf;
class CzorAggr;

// Type codes of values, attributes and data-source columns.
enum zorValueType : int {
    zorNOTYPE = 0,     // empty value
    zorINSTANCE = 1,   // reference to an instance of a store
    zorAGGREGATE = 2,  // a list of values (list-valued attributes)
    zorINTEGER = 3,    // signed 32-bit integer
    zorREAL = 4,       // 64-bit double
    zorSTRING = 5,     // UTF-8 text owned by the value
    zorBOOLEAN = 6,    // 0 or 1
    zorCHARACTER = 7,  // one byte
    zorBINARY = 8,     // bytes in a CzorDataBuf owned by the value
};

class CzorValue {
public:
    CzorValue() noexcept { m_u.raw = 0; }
    CzorValue(const CzorValue& other);  // deep copy (text, bytes and lists are duplicated)
    CzorValue(CzorValue&& other) noexcept;
    ~CzorValue() { Clear(); }
    CzorValue& operator=(const CzorValue& other) { Set(other); return *this; }
    CzorValue& operator=(CzorValue&& other) noexcept;

    // Empties the value and frees what it owns.
    void Clear() {
        if (m_Type == zorSTRING || m_Type == zorBINARY || m_Type == zorAGGREGATE) FreeOwned();
        ResetPayload();
    }

    // Each Set first clears the value.
    void Set(int v);
    void Set(double v);
    void Set(bool v);
    void Set(char v);
    void Set(CzorInstance* inst);      // null gives an empty value, not a null reference
    void Set(std::nullptr_t) { Clear(); }
    void Set(const char* text);        // null gives an empty value
    void Set(const std::string& text);
    void SetText(const char* text, size_t len);
    void Set(const CzorDataBuf& bytes);  // type 8 with a copy of the bytes
    void SetBinary(const void* data, size_t size);
    void Set(const CzorAggr& list);      // type 2 with a copy of the list
    void Set(const CzorValue& other);    // deep copy; setting a value to itself keeps it

    // Each Get first resets the out value (0, 0.0, "", null, false, '\0') and fills it
    // only when the type is exactly the asked one; there is no conversion between types.
    bool Get(int& v) const;
    bool Get(double& v) const;
    bool Get(std::string& v) const;
    bool Get(CzorInstance*& v) const;
    bool Get(bool& v) const;
    bool Get(char& v) const;
    // False for a null argument; otherwise stores null, and for type 8 the buffer.
    bool Get(CzorDataBuf** buf) const;

    int GetType() const { return m_Type; }
    bool IsEmpty() const { return m_Type == zorNOTYPE; }
    // Direct reads: the payload when the type matches, else 0 / null.
    int GetInt() const { return m_Type == zorINTEGER ? m_u.i : 0; }
    double GetReal() const { return m_Type == zorREAL ? m_u.r : 0.0; }
    const char* GetString() const { return m_Type == zorSTRING ? m_u.str : nullptr; }
    CzorInstance* GetInstance() const { return m_Type == zorINSTANCE ? m_u.inst : nullptr; }
    CzorDataBuf* GetBuffer() const { return m_Type == zorBINARY ? m_u.buf : nullptr; }
    CzorAggr* GetAggr() const { return m_Type == zorAGGREGATE ? m_u.aggr : nullptr; }

    // Same type and equal payload (texts and bytes by content, lists item by item,
    // instances by identity; reals compare with ==).
    bool IsEqu(const CzorValue& other) const;
    bool operator==(const CzorValue& other) const { return IsEqu(other); }
    bool operator!=(const CzorValue& other) const { return !IsEqu(other); }

protected:
    friend class CzorInstance;
    friend class CzorStepData;
    friend struct zorStoreAccess;

    enum : uint8_t {
        kChanged = 1,      // the changed mark of an attribute slot (CzorValueDefinition)
        kArenaText = 2,    // the text lives in the store's arena and is not freed by Clear
        kHasList = 4,      // an attribute slot holding a list copy (CzorValueDefinition)
        kNotLoaded = 8,    // a networked store has not fetched this attribute slot yet
    };
    void ResetPayload() { m_Type = zorNOTYPE; m_Flags &= static_cast<uint8_t>(~kArenaText); m_u.raw = 0; }
    void FreeOwned();  // the text, bytes or list (Clear's rare part)

    int32_t m_Type = zorNOTYPE;
    uint8_t m_Flags = 0;
    union {
        CzorInstance* inst;
        int32_t i;
        double r;
        char* str;
        bool b;
        char c;
        CzorDataBuf* buf;
        CzorAggr* aggr;
        uint64_t raw;
    } m_u;
};
