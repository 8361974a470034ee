#include "instructions/CReadRegistryInstruction.h"

#include "application/VRegistry.h"
#include "engine/CInstallScript.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/InstructionArguments.h"

using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CReadRegistryInstruction, IInstallerInstruction)

CReadRegistryInstruction::CReadRegistryInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()) {
    VStringTokenizer tokenizer(arguments, ',');
    if (tokenizer.CountTokens() < 3)
        InstructionArguments::ThrowArgumentError(
            this, "There are not enough arguments for the read registry operation to proceed");
    if (!tokenizer.NextToken(m_variableName) || !tokenizer.NextToken(m_keyPath) ||
        !tokenizer.NextToken(m_valueName))
        InstructionArguments::ThrowArgumentError(
            this, "An argument is missing from the registry read operation. Please "
                  "check you have given the Name, Root and Key");
    m_variableName.Trim();
    m_keyPath.Trim();
    m_valueName.Trim();
}

CReadRegistryInstruction::~CReadRegistryInstruction() = default;

bool CReadRegistryInstruction::Execute() {
    CInstallScript* script = GetScript();
    if (!script) throw VFoundation::VException(0, this, "Parser is NULL. Cannot continue without the parser");
    VString variableName(m_variableName);
    VString keyPath(m_keyPath);
    VString valueName(m_valueName);
    ExpandPath(variableName);
    ExpandPath(keyPath);
    ExpandPath(valueName);

    CInstallerVariable* variable = script->FindVariable(variableName.GetText());
    if (!variable) {
        LogLine(false, "ReadRegistry. Variable %s doesnt exist", variableName.GetText());
        return false;
    }
    VString value;
    {
        VApplication::VRegistry registry(keyPath.GetText());
        registry.GetString(valueName.GetText(), "NULL", value);
        if (registry.HasStoreFailed()) {
            LogLine(false, "ReadRegistry. The settings store %s cannot be read",
                    VApplication::VRegistry::GetStoreLocation().c_str());
            return false;
        }
    }
    if (value.IsEqual("NULL")) {
        LogLine(false, "ReadRegistry. Failed to read registry value for key %s properly",
                valueName.GetText());
        return false;
    }
    variable->SetValue(value.GetText());
    return true;
}
