#include "foundation/VString.h"

#include "foundation/VArchive.h"
#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VObjectArray.h"
#include "foundation/VRef.h"
#include "foundation/VXMLFile.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace VFoundation {

V_IMPLEMENT_CLASS_FULL(VString, VObject, &Detail::CreateInstanceOf<VString>, &VString::StartPool,
                       &VString::ShutDownPool)

namespace {

// Spare strings waiting to be handed out again. The guard is only ever tried, never waited for: a thread
// that finds it busy makes a new string or lets its string go.
std::atomic<VCriticalSection*> g_poolGuard{nullptr};
std::atomic<VObjectArray*> g_pool{nullptr};
std::atomic<VString*> g_empty{nullptr};
// The pool keeps at most this many strings, so a burst of strings does not pin its memory for ever.
constexpr int kPoolLimit = 1024;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The index of the separator that the path operations cut at: the last backslash, else the last slash.
int LastSeparator(const char* text, uint32_t length) {
    for (int i = static_cast<int>(length) - 1; i >= 0; --i)
        if (text[i] == '\\') return i;
    for (int i = static_cast<int>(length) - 1; i >= 0; --i)
        if (text[i] == '/') return i;
    return -1;
}

} // namespace

void VString::StartPool() {
    if (g_poolGuard.load()) return;
    g_poolGuard.store(new VCriticalSection());
    g_pool.store(new VObjectArray());
}

void VString::ShutDownPool() {
    VCriticalSection* guard = g_poolGuard.exchange(nullptr);
    VObjectArray* pool = g_pool.exchange(nullptr);
    if (pool) pool->Release();
    if (VString* empty = g_empty.exchange(nullptr)) empty->VObject::Release();
    if (guard) guard->Release();
}

char VString::NativeSeparator() {
    return static_cast<char>(std::filesystem::path::preferred_separator);
}

VString::VString() : VObject(GetClassRecord()) {
    Reserve(1);
}

VString::VString(const VString& other) : VObject(GetClassRecord()) {
    if (!other.m_text) {
        Reserve(1);
        return;
    }
    Reserve(other.m_length + 1);
    std::memcpy(m_text, other.m_text, other.m_length + 1);
    m_length = other.m_length;
}

VString::VString(const char* text) : VObject(GetClassRecord()) {
    if (!text) {
        Reserve(1);
        return;
    }
    const size_t length = std::strlen(text);
    Reserve(static_cast<uint32_t>(length + 1));
    std::memcpy(m_text, text, length + 1);
    m_length = static_cast<uint32_t>(length);
}

VString::VString(const char* text, uint32_t maxCount) : VObject(GetClassRecord()) {
    if (!text || maxCount == 0) {
        Reserve(1);
        return;
    }
    const uint32_t length = static_cast<uint32_t>(strnlen(text, maxCount));
    Reserve(length + 1);
    std::memcpy(m_text, text, length);
    m_length = length;
}

VString::~VString() {
    std::free(m_text);
}

VString* VString::Alloc() {
    VString* string = nullptr;
    VCriticalSection* guard = g_poolGuard.load();
    if (guard && guard->TryEnter(0)) {
        VObjectArray* pool = g_pool.load();
        if (pool && pool->GetCount() > 0) {
            string = static_cast<VString*>(pool->GetLastObject());
            string->Retain();
            // The pooled flag is still set, so this release does not put it back.
            pool->RemoveObjectAtIndex(pool->GetCount() - 1);
            string->Assign("");
            string->m_pooled = 0;
        }
        guard->Leave();
    }
    return string ? string : new VString();
}

VString* VString::Alloc(const char* text) {
    return &Alloc()->Assign(text);
}

const VString& VString::GetEmpty() {
    VString* empty = g_empty.load();
    if (!empty) {
        auto* made = new VString();
        if (g_empty.compare_exchange_strong(empty, made))
            empty = made;
        else
            made->VObject::Release();
    }
    return *empty;
}

int32_t VString::Release() const {
    VCriticalSection* guard = g_poolGuard.load();
    if (guard && guard->TryEnter(0)) {
        VObjectArray* pool = g_pool.load();
        if (pool && GetRetainCount() == 1 && !m_pooled && pool->GetCount() < kPoolLimit) {
            pool->AddObject(const_cast<VString*>(this));
            m_pooled = 1;
        }
        guard->Leave();
    }
    return VObject::Release();
}

VObject* VString::Copy() const {
    return Alloc(GetText());
}

void VString::Serialize(VArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteString(GetText());
        return;
    }
    char* text = archive.ReadString();
    Assign(text);
    VArchive::FreeString(text);
}

void VString::SerializeAsXML(VXMLFile& xmlFile) {
    if (xmlFile.IsStoring()) {
        if (m_length < 11)
            xmlFile.SetAttribute("string", GetText());
        else
            xmlFile.SetElementText(GetText());
        return;
    }
    if (xmlFile.GetAttribute("string", *this)) return;
    if (!xmlFile.GetElementText(*this)) Assign("");
}

void VString::GetDescription(VString& out) const {
    out.Assign("[");
    out.Append(GetClassName()).Append("] ");
}

uintptr_t VString::GetHash() const {
    // FNV-1a over the bytes.
    uint64_t hash = 14695981039346656037ull;
    for (uint32_t i = 0; i < m_length; ++i)
        hash = (hash ^ static_cast<unsigned char>(m_text[i])) * 1099511628211ull;
    return static_cast<uintptr_t>(hash);
}

bool VString::IsEqual(const VObject* other) const {
    return other && other->GetClass() == GetClass() && IsEqual(*static_cast<const VString*>(other));
}

bool VString::IsEqual(const char* text) const {
    if (!text) return false;
    const size_t length = std::strlen(text);
    return length == m_length && std::memcmp(GetText(), text, length) == 0;
}

bool VString::IsEqual(const VString& other) const {
    return m_length == other.m_length && std::memcmp(GetText(), other.GetText(), m_length) == 0;
}

bool VString::IsNotEqual(const char* text) const {
    return !IsEqual(text);
}

bool VString::IsNotEqual(const VString& other) const {
    return !IsEqual(other);
}

bool VString::IsLess(const char* text) const {
    if (!text) return false;
    const auto* a = reinterpret_cast<const unsigned char*>(GetText());
    const auto* b = reinterpret_cast<const unsigned char*>(text);
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a < *b;
}

bool VString::IsLess(const VString& other) const {
    return IsLess(other.GetText());
}

bool VString::IsEmpty() const {
    return m_length == 0;
}

char VString::CharAt(uint32_t index) const {
    if (!m_text || index > m_length) return 0;
    return m_text[index];
}

void VString::Reserve(uint32_t n) {
    std::free(m_text);
    m_text = nullptr;
    m_length = 0;
    m_capacity = 0;
    if (n == 0) return;
    uint64_t capacity = (static_cast<uint64_t>(n) / 129 + 1) * 128;
    if (capacity < n) capacity += 128;
    // Past about 33,000 bytes the rule above falls short of n; a buffer is never smaller than asked for.
    if (capacity < n) capacity = (static_cast<uint64_t>(n) + 127) / 128 * 128;
    m_text = static_cast<char*>(std::calloc(capacity, 1));
    if (m_text) m_capacity = static_cast<uint32_t>(capacity);
}

void VString::Grow(uint32_t n) {
    if (!m_text) {
        Reserve(n);
        return;
    }
    if (n <= m_capacity) return;
    const uint32_t capacity = n + 127;
    auto* text = static_cast<char*>(std::calloc(capacity, 1));
    if (!text) return;
    std::memcpy(text, m_text, m_length + 1);
    std::free(m_text);
    m_text = text;
    m_capacity = capacity;
}

void VString::SetLength(uint32_t length) {
    m_length = length;
    m_text[length] = 0;
}

VString& VString::Assign(const char* text) {
    if (m_text && text == m_text) return *this;
    if (!text || !*text) {
        if (!m_text) Reserve(1);
        if (m_text) SetLength(0);
        return *this;
    }
    const size_t length = std::strlen(text);
    if (length >= m_capacity) Reserve(static_cast<uint32_t>(length + 1));
    if (!m_text) return *this;
    // memmove: the text may lie inside this string's own buffer.
    std::memmove(m_text, text, length);
    SetLength(static_cast<uint32_t>(length));
    return *this;
}

VString& VString::Assign(const char* text, uint32_t n) {
    if (m_text && text == m_text) {
        if (n < m_capacity && n <= m_length) SetLength(n);
        return *this;
    }
    if (!text) return Assign(static_cast<const char*>(nullptr));
    // The length is what was actually copied: copying stops at a NUL in text.
    const uint32_t copied = static_cast<uint32_t>(strnlen(text, n));
    std::string held;
    if (m_text && text >= m_text && text < m_text + m_capacity) {
        held.assign(text, copied);
        text = held.c_str();
    }
    if (n >= m_capacity) Reserve(n + 1);
    if (!m_text) return *this;
    std::memcpy(m_text, text, copied);
    std::memset(m_text + copied, 0, n - copied + 1);
    m_length = copied;
    return *this;
}

VString& VString::Assign(const VString& other) {
    if (&other == this) return *this;
    return Assign(other.GetText());
}

VString& VString::Assign(char character) {
    if (character == 0) return Assign(static_cast<const char*>(nullptr));
    if (m_capacity < 2) Reserve(2);
    if (!m_text) return *this;
    m_text[0] = character;
    SetLength(1);
    return *this;
}

VString& VString::Append(const char* text) {
    if (!text || !*text) return *this;
    std::string held;
    if (m_text && text >= m_text && text < m_text + m_capacity) {
        held = text;
        text = held.c_str();
    }
    const size_t length = std::strlen(text);
    Grow(static_cast<uint32_t>(m_length + length + 1));
    if (!m_text || m_capacity < m_length + length + 1) return *this;
    std::memcpy(m_text + m_length, text, length);
    SetLength(static_cast<uint32_t>(m_length + length));
    return *this;
}

VString& VString::Append(char character) {
    if (character == 0) return *this;
    const char text[2] = {character, 0};
    return Append(text);
}

VString& VString::Append(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return Append(text);
}

VString& VString::Append(const VObject* object) {
    if (!object) return *this;
    VString description;
    object->GetDescription(description);
    return Append(description.GetText());
}

VString* VString::Concat(const VString& a, const VString& b) {
    VString* result = Alloc(a.GetText());
    result->Append(b.GetText());
    return result;
}

VString& VString::Format(const char* format, ...) {
    if (!format) return Assign(static_cast<const char*>(nullptr));
    char buffer[kFormatLimit + 1];
    va_list arguments;
    va_start(arguments, format);
    // A longer result is cut at the limit.
    const int written = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (written < 0) buffer[0] = 0;
    return Assign(buffer);
}

VString& VString::SetInteger(int value) {
    return Format("%i", value);
}

VString& VString::SetReal(double value) {
    if (std::fmod(value, 1.0) == 0.0) return Format("%li", static_cast<long>(value));
    Format("%.8lf", value);
    const int point = Find('.');
    if (point < 0) return *this;
    uint32_t length = m_length;
    while (length > static_cast<uint32_t>(point) + 2 && m_text[length - 1] == '0')
        --length;
    SetLength(length);
    return *this;
}

double VString::ToReal() const {
    return m_text ? std::atof(m_text) : 0.0;
}

int VString::ToInteger(bool rounded) const {
    if (!rounded) return m_text ? std::atoi(m_text) : 0;
    double x = m_text ? std::atof(m_text) : 0.0;
    if (std::isnan(x)) return 0;
    x = std::clamp(x, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX));
    const int saved = std::fegetround();
    std::fesetround(FE_DOWNWARD);
    const long long doubled = std::llrint(2.0 * x + 1.0);
    std::fesetround(saved);
    return static_cast<int>(doubled >> 1);
}

int VString::Find(char character, uint32_t from) const {
    if (!m_text || from >= m_length) return -1;
    for (uint32_t i = from; i < m_length; ++i)
        if (m_text[i] == character) return static_cast<int>(i);
    return -1;
}

int VString::Find(const VString& needle) const {
    if (needle.IsEmpty()) return 0;
    const char* found = std::strstr(GetText(), needle.GetText());
    return found ? static_cast<int>(found - GetText()) : -1;
}

int VString::FindLast(char character) const {
    for (int i = static_cast<int>(m_length) - 1; i >= 0; --i)
        if (m_text[i] == character) return i;
    return -1;
}

bool VString::StartsWith(const char* text) const {
    if (!text) return true;
    const size_t length = std::strlen(text);
    return length <= m_length && std::memcmp(GetText(), text, length) == 0;
}

bool VString::StripPrefix(const char* prefix, VString& rest) const {
    if (!StartsWith(prefix)) return false;
    rest.Assign(GetText() + (prefix ? std::strlen(prefix) : 0));
    return true;
}

void VString::Left(uint32_t n, VString& out) const {
    out.Assign(GetText(), std::min(n, m_length));
}

void VString::Right(uint32_t n, VString& out) const {
    const uint32_t count = std::min(n, m_length);
    out.Assign(GetText() + (m_length - count));
}

void VString::Between(uint32_t from, uint32_t to, VString& out) const {
    const uint64_t first = static_cast<uint64_t>(from) + 1;
    const uint64_t end = std::min<uint64_t>(to, m_length);
    if (first >= end) {
        out.Assign("");
        return;
    }
    out.Assign(GetText() + first, static_cast<uint32_t>(end - first));
}

VString* VString::Left(uint32_t n) const {
    VString* out = Alloc();
    Left(n, *out);
    return out;
}

VString* VString::Right(uint32_t n) const {
    VString* out = Alloc();
    Right(n, *out);
    return out;
}

VString* VString::Between(uint32_t from, uint32_t to) const {
    VString* out = Alloc();
    Between(from, to, *out);
    return out;
}

void VString::ExtractDelimited(char open, char close, VString& out) const {
    // Collection starts after the first open character, or at the very start when there is none (option
    // lists written without brackets rely on that).
    const uint32_t start = static_cast<uint32_t>(Find(open) + 1);
    uint32_t end = start;
    while (end < m_length && m_text[end] != close)
        ++end;
    const std::string part(GetText() + start, GetText() + end);
    out.Append(part.c_str());
}

VString& VString::TrimLeft() {
    if (!m_text) return *this;
    uint32_t skip = 0;
    while (skip < m_length && (m_text[skip] == ' ' || m_text[skip] == '\t'))
        ++skip;
    if (skip == 0) return *this;
    std::memmove(m_text, m_text + skip, m_length - skip + 1);
    m_length -= skip;
    return *this;
}

VString& VString::TrimRight() {
    if (!m_text) return *this;
    uint32_t length = m_length;
    while (length > 0 &&
           (m_text[length - 1] == ' ' || m_text[length - 1] == '\t' || m_text[length - 1] == '\n'))
        --length;
    SetLength(length);
    return *this;
}

VString& VString::Trim() {
    return TrimRight().TrimLeft();
}

VString& VString::RemoveWhitespace() {
    if (!m_text) return *this;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < m_length; ++i)
        if (m_text[i] != ' ' && m_text[i] != '\t' && m_text[i] != '\n') m_text[kept++] = m_text[i];
    SetLength(kept);
    return *this;
}

bool VString::IsBlank() const {
    for (uint32_t i = 0; i < m_length; ++i)
        if (m_text[i] != ' ' && m_text[i] != '\t') return false;
    return true;
}

bool VString::HasExtension(const char* ext, bool ignoreCase) const {
    if (!ext) return false;
    const size_t length = std::strlen(ext);
    if (m_length <= length || m_text[m_length - length - 1] != '.') return false;
    const char* tail = m_text + (m_length - length);
    if (!ignoreCase) return std::memcmp(tail, ext, length) == 0;
    for (size_t i = 0; i < length; ++i) {
        char a = tail[i], b = ext[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

bool VString::HasAnyExtension() const {
    for (int i = static_cast<int>(m_length) - 1; i >= 0; --i) {
        if (m_text[i] == '.') return true;
        if (IsSeparator(m_text[i])) return false;
    }
    return false;
}

VString& VString::RemoveExtension() {
    const int dot = FindLast('.');
    if (dot >= 1) SetLength(static_cast<uint32_t>(dot));
    return *this;
}

VString& VString::RemoveLastPathComponent() {
    const int separator = LastSeparator(GetText(), m_length);
    if (separator >= 0) SetLength(static_cast<uint32_t>(separator));
    return *this;
}

void VString::GetParentPath(VString& out) const {
    const int separator = LastSeparator(GetText(), m_length);
    if (separator < 0) {
        out.Assign("");
        return;
    }
    if (separator == 0) {
        // A leading slash is the root where the slash is the separator: it is its own parent.
        if (m_text[0] == '/' && NativeSeparator() == '/')
            out.Assign("/");
        else
            out.Assign("");
        return;
    }
    const uint32_t keep = m_text[separator - 1] == ':' ? separator + 1 : separator;
    const std::string parent(m_text, keep);
    out.Assign(parent.c_str());
}

void VString::GetLastPathComponent(VString& out) const {
    const int separator = LastSeparator(GetText(), m_length);
    out.Assign(GetText() + separator + 1);
}

VString& VString::AppendPathComponent(const char* component) {
    if (!component) component = "";
    if (m_length > 0 && !IsSeparator(m_text[m_length - 1]) && !IsSeparator(component[0]))
        Append(NativeSeparator());
    return Append(component);
}

bool VString::AppendPathComponent(char* buffer, size_t size, const char* component) {
    if (!buffer || size == 0) return false;
    if (!component) component = "";
    const size_t length = strnlen(buffer, size);
    if (length == size) return false;
    const bool separator = length > 0 && !IsSeparator(buffer[length - 1]) && !IsSeparator(component[0]);
    const size_t needed = length + (separator ? 1 : 0) + std::strlen(component) + 1;
    if (needed > size) return false;
    if (separator) buffer[length] = NativeSeparator();
    std::strcpy(buffer + length + (separator ? 1 : 0), component);
    return true;
}

VObjectArray* VString::SplitPath() const {
    auto* parts = new VObjectArray();
    VString work(*this);
    VString component;
    VString parent;
    for (int pass = 0; pass < 100 && !work.IsEmpty(); ++pass) {
        work.GetLastPathComponent(component);
        work.GetParentPath(parent);
        if (!component.IsEmpty()) parts->AddObject(VRef<VString>::Adopt(Alloc(component.GetText())).Get());
        // A root is its own parent: nothing further would change.
        if (parent.IsEqual(work) && component.IsEmpty()) break;
        work.Assign(parent);
    }
    parts->AddObject(VRef<VString>::Adopt(Alloc(work.GetText())).Get());
    for (int i = 0, j = parts->GetCount() - 1; i < j; ++i, --j)
        parts->ExchangeObjectsAtIndices(i, j);
    return parts;
}

bool operator==(const VString& a, const char* b) {
    return a.IsEqual(b);
}

} // namespace VFoundation
