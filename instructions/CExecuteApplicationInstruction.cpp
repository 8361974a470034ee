#include "instructions/CExecuteApplicationInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VRef.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/ProgramPlatform.h"

using VFoundation::VFileManager;
using VFoundation::VRef;
using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CExecuteApplicationInstruction, IInstallerInstruction)

CExecuteApplicationInstruction::CExecuteApplicationInstruction(const VString& arguments,
                                                               VFoundation::VClass* record)
    : IInstallerInstruction(record ? record : GetClassRecord()) {
    if (arguments.Find(',') < 0) {
        m_program.Assign(arguments);
        return;
    }
    VStringTokenizer tokenizer(arguments, ',');
    tokenizer.NextToken(m_program);
    m_program.Trim();
    VString token;
    while (tokenizer.NextToken(token)) {
        VRef<VString> argument = VRef<VString>::Adopt(VString::Alloc(token.GetText()));
        argument->Trim();
        m_arguments.AddObject(argument.Get());
    }
}

CExecuteApplicationInstruction::~CExecuteApplicationInstruction() = default;

bool CExecuteApplicationInstruction::Execute() {
    VString program(m_program);
    if (!ExpandPathArgument(program, "ExecuteApplication")) return false;
    if (!VFileManager::Instance()->FileExistsAtPath(program.GetText())) {
        LogLine(false, "ExecuteApplication. Application file %s doesnt exist", program.GetText());
        return false;
    }

    // An argument that expands to nothing is dropped, as it vanishes from a command line.
    std::vector<std::string> arguments;
    for (VString* argument : m_arguments) {
        VString expanded(*argument);
        ExpandPath(expanded);
        expanded.Trim();
        if (!expanded.IsEmpty()) arguments.emplace_back(expanded.GetText());
    }

    const bool launched = Launch(program, arguments);
    LogLine(launched, "ExecuteApplication. Src=%s", program.GetText());
    return launched;
}

bool CExecuteApplicationInstruction::Launch(const VString& program,
                                            const std::vector<std::string>& arguments) {
    return ProgramPlatform::StartProgram(program.GetText(), arguments, false);
}
