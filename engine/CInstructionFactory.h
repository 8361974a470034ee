#pragma once

#include <vector>

class CInstallScript;
class IInstallerInstruction;

namespace VFoundation {
class VString;
}

// Turns script lines into instructions by their keyword.
namespace CInstructionFactory {

// The instruction a line makes (a new reference), or none for a keyword that makes nothing. An "If "
// prefix is dropped first. The instruction's script is set to script.
IInstallerInstruction* CreateInstructionFromLine(const VFoundation::VString& line, CInstallScript* script);
// The instruction for keyword with its argument text, or none. Constructors may throw VException.
IInstallerInstruction* CreateInstruction(const VFoundation::VString& keyword,
                                         const VFoundation::VString& arguments);
// The keywords that make an instruction, in the order they are compared.
std::vector<const char*> InstructionKeywords();
// True for a keyword that is accepted but makes nothing.
bool IsInertKeyword(const char* keyword);

} // namespace CInstructionFactory
