#include "instructions/CFolderExistsConditionalStatement.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"

V_IMPLEMENT_CLASS(CFolderExistsConditionalStatement, CTestConditionalStatement)

CFolderExistsConditionalStatement::CFolderExistsConditionalStatement()
    : CTestConditionalStatement(GetClassRecord()) {}

CFolderExistsConditionalStatement::CFolderExistsConditionalStatement(const VFoundation::VString& arguments)
    : CTestConditionalStatement(arguments, GetClassRecord()) {}

CFolderExistsConditionalStatement::~CFolderExistsConditionalStatement() = default;

bool CFolderExistsConditionalStatement::RunTest(const VFoundation::VString& text) {
    return VFoundation::VFileManager::Instance()->DirectoryExistsAtPath(text.GetText());
}
