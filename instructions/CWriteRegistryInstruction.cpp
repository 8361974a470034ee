#include "instructions/CWriteRegistryInstruction.h"

#include "application/VRegistry.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/InstructionArguments.h"

using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CWriteRegistryInstruction, IInstallerInstruction)

CWriteRegistryInstruction::CWriteRegistryInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()) {
    VStringTokenizer tokenizer(arguments, ',');
    if (tokenizer.CountTokens() < 3)
        InstructionArguments::ThrowArgumentError(
            this, "There are not enough arguments for the write registry operation to proceed");
    if (!tokenizer.NextToken(m_valueText) || !tokenizer.NextToken(m_keyPath) ||
        !tokenizer.NextToken(m_valueName))
        InstructionArguments::ThrowArgumentError(
            this, "An argument is missing from the registry read operation. Please "
                  "check you have given the Name, Root and Key");
    m_valueText.Trim();
    m_keyPath.Trim();
    m_valueName.Trim();
}

CWriteRegistryInstruction::~CWriteRegistryInstruction() = default;

bool CWriteRegistryInstruction::Execute() {
    if (!GetScript())
        throw VFoundation::VException(0, this, "Parser is NULL. Cannot continue without the parser");
    VString valueText(m_valueText);
    VString keyPath(m_keyPath);
    VString valueName(m_valueName);
    ExpandPath(valueText);
    ExpandPath(keyPath);
    ExpandPath(valueName);

    bool stored = false;
    {
        VApplication::VRegistry registry(keyPath.GetText());
        stored = registry.SetString(valueName.GetText(), valueText.GetText());
    }
    LogLine(stored, "WriteRegistry. Key=%s, value=%s", valueName.GetText(), valueText.GetText());
    // A value that was not stored is nothing for the uninstaller to remove.
    if (!stored) return false;
    VString entry;
    entry.Format("%s,%s,%s", keyPath.GetText(), valueName.GetText(), valueText.GetText());
    LogUninstallEntry(entry, UninstallRegistry);
    return true;
}
