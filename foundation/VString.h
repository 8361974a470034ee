#pragma once

#include "foundation/VObject.h"

#include <cstddef>
#include <cstdint>

namespace VFoundation {

class VObjectArray;

// The one string type: a growable, NUL-terminated buffer of 8-bit characters. Comparisons are
// byte-wise; there is no case conversion. Strings made with Alloc() come from a process-wide pool and
// go back to it on their last Release(), buffer and all.
class VString : public VObject {
    V_DECLARE_CLASS(VString)
public:
    static constexpr uint32_t kFormatLimit = 2047;

    VString();
    VString(const VString& other);
    VString(const char* text);
    VString(const char* text, uint32_t maxCount);
    ~VString() override;
    VString& operator=(const VString& other) { return Assign(other); }
    VString& operator=(const char* text) { return Assign(text); }

    static VString* Alloc();
    static VString* Alloc(const char* text);
    static const VString& GetEmpty();

    int32_t Release() const override;
    VObject* Copy() const override;
    void Serialize(VArchive& archive) override;
    void SerializeAsXML(VXMLFile& xmlFile) override;
    void GetDescription(VString& out) const override;
    // Equal texts hash alike, so strings can key hash tables.
    uintptr_t GetHash() const override;
    bool IsEqual(const VObject* other) const override;
    virtual bool IsEqual(const char* text) const;
    virtual bool IsEqual(const VString& other) const;
    virtual bool IsNotEqual(const char* text) const;
    virtual bool IsNotEqual(const VString& other) const;
    virtual bool IsLess(const char* text) const;
    virtual bool IsLess(const VString& other) const;
    virtual bool IsEmpty() const;

    const char* GetText() const { return m_text ? m_text : ""; }
    uint32_t GetLength() const { return m_length; }
    uint32_t GetCapacity() const { return m_capacity; }
    char CharAt(uint32_t index) const;
    bool IsPooled() const { return m_pooled != 0; }

    // Discards the content and allocates at least n bytes by the capacity rule; Reserve(0) frees.
    void Reserve(uint32_t n);
    // Makes room for n bytes (terminator included) keeping the content.
    void Grow(uint32_t n);

    VString& Assign(const char* text);
    VString& Assign(const char* text, uint32_t n);
    VString& Assign(const VString& other);
    VString& Assign(char character);
    VString& Clear() { return Assign(static_cast<const char*>(nullptr)); }

    VString& Append(const char* text);
    VString& Append(const VString& other) { return Append(other.GetText()); }
    VString& Append(char character);
    VString& Append(int value);
    VString& Append(const VObject* object);
    static VString* Concat(const VString& a, const VString& b);

    VString& Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    VString& SetInteger(int value);
    VString& SetReal(double value);
    double ToReal() const;
    int ToInteger(bool rounded = false) const;

    int Find(char character) const { return Find(character, 0); }
    int Find(char character, uint32_t from) const;
    int Find(const VString& needle) const;
    int FindLast(char character) const;

    bool StartsWith(const char* text) const;
    bool StripPrefix(const char* prefix, VString& rest) const;

    VString* Left(uint32_t n) const;
    VString* Right(uint32_t n) const;
    VString* Between(uint32_t from, uint32_t to) const;
    void Left(uint32_t n, VString& out) const;
    void Right(uint32_t n, VString& out) const;
    void Between(uint32_t from, uint32_t to, VString& out) const;
    // Appends to out what follows the first open character (or the start, without one) up to the first
    // close character or the end.
    void ExtractDelimited(char open, char close, VString& out) const;

    VString& TrimLeft();
    VString& TrimRight();
    VString& Trim();
    VString& RemoveWhitespace();
    bool IsBlank() const;

    bool HasExtension(const char* ext, bool ignoreCase) const;
    bool HasAnyExtension() const;
    VString& RemoveExtension();
    VString& RemoveLastPathComponent();
    void GetParentPath(VString& out) const;
    void GetLastPathComponent(VString& out) const;
    VString& AppendPathComponent(const char* component);
    // The same on a caller's buffer of size bytes; false when the result would not fit.
    static bool AppendPathComponent(char* buffer, size_t size, const char* component);
    // A new array (the caller releases it) of new strings, root first.
    VObjectArray* SplitPath() const;

    // The separator that AppendPathComponent inserts: the platform's.
    static char NativeSeparator();

    // Used by the string pool (the class record's start-up and shut-down functions).
    static void StartPool();
    static void ShutDownPool();

private:
    void SetLength(uint32_t length);

    char* m_text = nullptr;
    uint32_t m_length = 0;
    uint32_t m_capacity = 0;
    mutable uint8_t m_pooled = 0;
};

bool operator==(const VString& a, const char* b);
inline bool operator==(const VString& a, const VString& b) {
    return a.IsEqual(b);
}

} // namespace VFoundation
