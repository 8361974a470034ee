#include "engine/IConditionalStatement.h"

#include "foundation/VClass.h"
#include "foundation/VString.h"

#include <climits>

using namespace VFoundation;

V_IMPLEMENT_ABSTRACT_CLASS(IConditionalStatement, IInstallerInstruction)

IConditionalStatement::IConditionalStatement(VClass* record)
    : IInstallerInstruction(record ? record : GetClassRecord()) {}

IConditionalStatement::~IConditionalStatement() = default;

int32_t IConditionalStatement::ParseCount(const VString& text) {
    const char* walk = text.GetText();
    while (*walk == ' ' || *walk == '\t' || *walk == '\n' || *walk == '\r' || *walk == '\v' || *walk == '\f')
        ++walk;
    bool negative = false;
    if (*walk == '+' || *walk == '-') negative = *walk++ == '-';
    long long value = 0;
    while (*walk >= '0' && *walk <= '9') {
        value = value * 10 + (*walk++ - '0');
        // Beyond the 32-bit range the count saturates instead of overflowing.
        if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int32_t>(value);
}
