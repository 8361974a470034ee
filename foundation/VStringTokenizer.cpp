#include "foundation/VStringTokenizer.h"

#include "foundation/VClass.h"

#include <cstring>

namespace VFoundation {

V_IMPLEMENT_CLASS(VStringTokenizer, VObject)

VStringTokenizer::VStringTokenizer() : VObject(GetClassRecord()) {}

VStringTokenizer::VStringTokenizer(const char* text, char separator)
    : VObject(GetClassRecord()), m_text(text) {
    m_separators.Assign(separator);
    m_tokenCount = CountTokens();
}

VStringTokenizer::VStringTokenizer(const VString& text, char separator)
    : VObject(GetClassRecord()), m_text(text) {
    m_separators.Assign(separator);
    m_tokenCount = CountTokens();
}

VStringTokenizer::VStringTokenizer(const VString& text, const VString& separators)
    : VObject(GetClassRecord()), m_text(text), m_separators(separators) {
    m_tokenCount = CountTokens();
}

VStringTokenizer::~VStringTokenizer() = default;

int64_t VStringTokenizer::ScanToken(uint32_t position) const {
    const char* text = m_text.GetText();
    const size_t length = std::strlen(text);
    if (position >= length) return -1;
    const char* separators = m_separators.GetText();
    size_t end = position;
    while (end < length && !std::strchr(separators, text[end]))
        ++end;
    return static_cast<int64_t>(end - position);
}

uint32_t VStringTokenizer::CountTokens() {
    uint32_t count = 0;
    uint64_t position = 0;
    for (int64_t length;
         position <= UINT32_MAX && (length = ScanToken(static_cast<uint32_t>(position))) >= 0;) {
        ++count;
        position += static_cast<uint64_t>(length) + 1;
    }
    m_tokenCount = count;
    return count;
}

bool VStringTokenizer::HasMoreTokens() const {
    return ScanToken(m_position) >= 0;
}

void VStringTokenizer::SetSeparator(char separator) {
    m_separators.Assign(separator);
}

void VStringTokenizer::SetSeparators(const VString& separators) {
    m_separators.Assign(separators);
}

void VStringTokenizer::SetText(const VString& text) {
    SetText(text.GetText());
}

void VStringTokenizer::SetText(const char* text) {
    m_text.Assign(text);
    m_position = 0;
    m_tokenLength = 0;
}

bool VStringTokenizer::NextToken(VString& out) {
    const int64_t length = ScanToken(m_position);
    if (length < 0) return false;
    m_tokenLength = static_cast<uint32_t>(length);
    out.Assign(m_text.GetText() + m_position, m_tokenLength);
    m_position += m_tokenLength + 1;
    return true;
}

VString* VStringTokenizer::NextToken() {
    VString* token = VString::Alloc();
    if (NextToken(*token)) return token;
    token->Release();
    return nullptr;
}

} // namespace VFoundation
