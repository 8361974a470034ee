#pragma once

#include <cstdint>

namespace VFoundation {
class VObject;
class VString;
} // namespace VFoundation

// Argument reading shared by the instruction constructors. Every check is byte-wise and case-sensitive,
// as scripts have always been read.
namespace InstructionArguments {

// The default permission word of the file instructions (octal 0777).
constexpr uint16_t kDefaultMode = 511;

// The permission word of one of the eleven mode texts ("00400" ... "00777"); any other text gives
// kDefaultMode. Texts are compared whole: "00755" is not a mode text.
uint16_t ParseModeText(const VFoundation::VString& text);

// The option text of an argument text: what follows the first '[' up to the next ']' (or the end).
// Without a '[' the collection starts at the first character, so the argument text up to its first ']'
// counts; scripts that write the options without brackets rely on it.
void ExtractOptionText(const VFoundation::VString& arguments, VFoundation::VString& out);

// True when word occurs anywhere in text.
bool ContainsWord(const VFoundation::VString& text, const char* word);

// "True" or "False", as the log rows spell flags.
const char* FlagText(bool flag);

// Throws the VException of a malformed argument text: id 0, the instruction being constructed as its
// source (the exception keeps the source's class record, since the throw destroys the instruction).
[[noreturn]] void ThrowArgumentError(const VFoundation::VObject* instruction, const char* message);
// The same without a source.
[[noreturn]] void ThrowArgumentError(const char* message);

} // namespace InstructionArguments
