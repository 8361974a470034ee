#include "instructions/InstructionArguments.h"

#include "foundation/VException.h"
#include "foundation/VString.h"

#include <cstring>

namespace InstructionArguments {

using VFoundation::VString;

uint16_t ParseModeText(const VString& text) {
    static const struct {
        const char* text;
        uint16_t mode;
    } kModes[] = {
        {"00400", 0400}, {"00200", 0200}, {"00100", 0100}, {"00040", 0040}, {"00020", 0020}, {"00010", 0010},
        {"00004", 0004}, {"00002", 0002}, {"00001", 0001}, {"00700", 0700}, {"00777", 0777},
    };
    for (const auto& entry : kModes)
        if (text.IsEqual(entry.text)) return entry.mode;
    return kDefaultMode;
}

void ExtractOptionText(const VString& arguments, VString& out) {
    out.Assign("");
    arguments.ExtractDelimited('[', ']', out);
}

bool ContainsWord(const VString& text, const char* word) {
    return std::strstr(text.GetText(), word) != nullptr;
}

const char* FlagText(bool flag) {
    return flag ? "True" : "False";
}

void ThrowArgumentError(const VFoundation::VObject* instruction, const char* message) {
    throw VFoundation::VException(0, instruction, message);
}

void ThrowArgumentError(const char* message) {
    ThrowArgumentError(nullptr, message);
}

} // namespace InstructionArguments
