#include "instructions/CDeleteRegistryInstruction.h"

#include "application/VRegistry.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/InstructionArguments.h"

using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CDeleteRegistryInstruction, IInstallerInstruction)

CDeleteRegistryInstruction::CDeleteRegistryInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()) {
    VStringTokenizer tokenizer(arguments, ',');
    if (tokenizer.CountTokens() < 2)
        InstructionArguments::ThrowArgumentError(
            this, "There are not enough arguments for the delete registry operation to proceed");
    if (!tokenizer.NextToken(m_keyPath) || !tokenizer.NextToken(m_subkeyName))
        InstructionArguments::ThrowArgumentError(
            this, "An argument is missing from the registry read operation. Please "
                  "check you have given the Root and Key");
    m_keyPath.Trim();
    m_subkeyName.Trim();
}

CDeleteRegistryInstruction::~CDeleteRegistryInstruction() = default;

bool CDeleteRegistryInstruction::Execute() {
    if (!GetScript())
        throw VFoundation::VException(0, this, "Parser is NULL. Cannot continue without the parser");
    VString keyPath(m_keyPath);
    VString subkeyName(m_subkeyName);
    ExpandPath(keyPath);
    ExpandPath(subkeyName);

    bool deleted = false;
    bool storeFailed = false;
    {
        VApplication::VRegistry registry(keyPath.GetText());
        deleted = registry.DeleteSubkey(subkeyName.GetText());
        storeFailed = registry.HasStoreFailed();
    }
    LogLine(deleted, "DeleteRegistry. Key=%s", subkeyName.GetText());
    // A subkey that is not there is no failure of the step; a store that cannot be used is.
    return !storeFailed;
}
