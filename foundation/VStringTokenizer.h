#pragma once

#include "foundation/VObject.h"
#include "foundation/VString.h"

#include <cstdint>

namespace VFoundation {

// Splits a text at single separator characters: two adjacent separators give an empty token, a leading
// separator an empty first token, a trailing one no token. There is no quoting and no trimming; callers
// trim the tokens themselves.
class VStringTokenizer : public VObject {
    V_DECLARE_CLASS(VStringTokenizer)
public:
    VStringTokenizer();
    VStringTokenizer(const char* text, char separator);
    VStringTokenizer(const VString& text, char separator);
    VStringTokenizer(const VString& text, const VString& separators);
    ~VStringTokenizer() override;

    virtual uint32_t CountTokens();
    virtual bool HasMoreTokens() const;
    virtual void SetSeparator(char separator);
    virtual void SetSeparators(const VString& separators);
    virtual void SetText(const VString& text);
    virtual void SetText(const char* text);
    virtual bool NextToken(VString& out);
    // A new pooled string (the caller releases it), or none at the end.
    virtual VString* NextToken();

private:
    // The length of the token that starts at position, or -1 when none does.
    int64_t ScanToken(uint32_t position) const;

    uint32_t m_tokenCount = 0;
    uint32_t m_position = 0;
    uint32_t m_tokenLength = 0;
    VString m_text;
    VString m_separators;
};

} // namespace VFoundation
