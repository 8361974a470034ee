#include "instructions/CFileExistsConditionalStatement.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"

V_IMPLEMENT_CLASS(CFileExistsConditionalStatement, CTestConditionalStatement)

CFileExistsConditionalStatement::CFileExistsConditionalStatement()
    : CTestConditionalStatement(GetClassRecord()) {}

CFileExistsConditionalStatement::CFileExistsConditionalStatement(const VFoundation::VString& arguments)
    : CTestConditionalStatement(arguments, GetClassRecord()) {}

CFileExistsConditionalStatement::~CFileExistsConditionalStatement() = default;

bool CFileExistsConditionalStatement::RunTest(const VFoundation::VString& text) {
    return VFoundation::VFileManager::Instance()->FileExistsAtPath(text.GetText());
}
