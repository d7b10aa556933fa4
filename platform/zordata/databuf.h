#pragma once
// CzorDataBuf: a growable byte buffer with a read position. Writes append at the end;
// reads take from the read position and fail (false, position unchanged) past the end.
//
// One encoding serves every buffer of the store, the networked client and the
// application server:
//   - integers and reals little-endian in their own width (int8, int16, int32, double);
//   - a bool or char as one byte;
//   - a text as int32 L = byte length + 1, then the L bytes of its UTF-8 with the
//     terminating zero (a reader refuses L < 1, L past the end or a missing zero);
//   - a value (zorAppendBufValue) as int8 type code, then by type:
//       0 nothing; 1 int32 instance reference (see below); 2 int32 item count, then each
//       item as a value; 3 int32; 4 double; 5 text; 6 int8 0/1; 7 int8; 8 int32 size,
//       then the bytes.
//     An instance reference is the instance's index in the caller's map (instance
//     pointer -> index, CzorMap sorted with SortIn) when a map is given, else the
//     instance's id; a reader turns the number back into an instance with the caller's
//     resolver. Lists nest at most 8 deep.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class CzorValue;
class CzorInstance;
class CzorMap;

// How the value codec carries texts: UTF-8 in the store's own buffers, code page 1251 on the wire
// to the application server (a text the code page cannot hold is refused, never altered).
enum class zorBufText { Utf8, Cp1251 };

class CzorDataBuf {
public:
    CzorDataBuf() = default;
    CzorDataBuf(const CzorDataBuf& other);  // copies the bytes and the read position
    CzorDataBuf(CzorDataBuf&& other) noexcept;
    CzorDataBuf& operator=(const CzorDataBuf& other);
    CzorDataBuf& operator=(CzorDataBuf&& other) noexcept;
    ~CzorDataBuf();

    // Appending.
    void Add(const void* data, size_t size);
    void Add(int32_t v);
    void Add(int16_t v);
    void Add(int8_t v);
    void Add(char v);
    void Add(bool v);
    void Add(double v);
    void Add(const char* text);  // null is written as the empty text
    void Add(const std::string& text);

    // Reading at the read position.
    bool Read(void* data, size_t size);
    bool Read(int32_t& v);
    bool Read(int16_t& v);
    bool Read(int8_t& v);
    bool Read(char& v);
    bool Read(bool& v);
    bool Read(double& v);
    bool Read(std::string& text);
    // Moves the read position on by n bytes (false past the end).
    bool Skip(size_t n);

    // Read position back to the start.
    void Begin() { m_nPos = 0; }
    // Empties the buffer (keeps its memory).
    void Clear() { m_nSize = 0; m_nPos = 0; }
    // Replaces the contents with a copy of the given bytes and rewinds.
    void SetExternalData(const void* data, size_t size);
    // Sets the size: shorter drops bytes at the end, longer adds zero bytes; the read
    // position is kept within the new size.
    bool SetSize(size_t size);
    void Reserve(size_t size);

    unsigned char* GetBuffer() { return m_pData; }
    const unsigned char* GetBuffer() const { return m_pData; }
    // The bytes from the read position on.
    unsigned char* GetCurBuffer() { return m_pData ? m_pData + m_nPos : nullptr; }
    const unsigned char* GetCurBuffer() const { return m_pData ? m_pData + m_nPos : nullptr; }
    size_t GetSize() const { return m_nSize; }
    size_t GetCurPos() const { return m_nPos; }
    size_t GetRemaining() const { return m_nSize - m_nPos; }
    bool IsEqu(const CzorDataBuf& other) const;

private:
    void Grow(size_t need);
    unsigned char* m_pData = nullptr;
    size_t m_nSize = 0;
    size_t m_nCapacity = 0;
    size_t m_nPos = 0;
};

// Appends a value in the shared encoding. References are written as map indexes
// (QGetByIn of the instance pointer) when map is given, else as instance ids; a
// reference that the map lacks makes the call fail. False also for nesting past 8.
bool zorAppendBufValue(CzorDataBuf& buf, const CzorValue& value, const CzorMap* map = nullptr,
                       zorBufText text = zorBufText::Utf8);
// Reads a value written by zorAppendBufValue into value. References are turned into
// instances by resolve (a null result fails the read); without resolve a reference
// fails. On failure value is empty and the read position is where it was.
bool zorReadBufValue(CzorDataBuf& buf, CzorValue& value,
                     const std::function<CzorInstance*(int32_t)>& resolve = nullptr,
                     zorBufText text = zorBufText::Utf8);
// The same, but a reference to an id that leaveOut names reads as if it were not there: a single
// one arrives unset, a list goes without that member. For readers who must not learn such ids.
bool zorReadBufValueLeavingOut(CzorDataBuf& buf, CzorValue& value, const std::function<CzorInstance*(int32_t)>& resolve,
                               const std::function<bool(int32_t)>& leaveOut, zorBufText text = zorBufText::Utf8);
