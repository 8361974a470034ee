#include "instructions/CScriptJumpConditionalStatement.h"

#include "foundation/VClass.h"

using namespace VFoundation;

V_IMPLEMENT_CLASS(CScriptJumpConditionalStatement, IConditionalStatement)

CScriptJumpConditionalStatement::CScriptJumpConditionalStatement()
    : IConditionalStatement(GetClassRecord()) {}

CScriptJumpConditionalStatement::CScriptJumpConditionalStatement(const VString& arguments)
    : IConditionalStatement(GetClassRecord()) {
    VString count(arguments);
    m_trueSteps = ParseCount(count.Trim());
}

CScriptJumpConditionalStatement::~CScriptJumpConditionalStatement() = default;

bool CScriptJumpConditionalStatement::Execute() {
    return true;
}

int32_t CScriptJumpConditionalStatement::GetNextStep() {
    return m_trueSteps;
}
