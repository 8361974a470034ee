#include "instructions/CUserPromptConditionalStatement.h"

#include "application/VApplication.h"
#include "foundation/VClass.h"

V_IMPLEMENT_CLASS(CUserPromptConditionalStatement, CTestConditionalStatement)

CUserPromptConditionalStatement::CUserPromptConditionalStatement()
    : CTestConditionalStatement(GetClassRecord()) {}

CUserPromptConditionalStatement::CUserPromptConditionalStatement(const VFoundation::VString& arguments)
    : CTestConditionalStatement(arguments, GetClassRecord()) {}

CUserPromptConditionalStatement::~CUserPromptConditionalStatement() = default;

bool CUserPromptConditionalStatement::RunTest(const VFoundation::VString& text) {
    return VApplication::ConfirmBox(text.GetText());
}
