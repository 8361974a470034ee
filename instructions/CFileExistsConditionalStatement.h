#pragma once

#include "instructions/CTestConditionalStatement.h"

// "FileExists": the true branch when the path names an existing file or folder.
class CFileExistsConditionalStatement : public CTestConditionalStatement {
    V_DECLARE_CLASS(CFileExistsConditionalStatement)
public:
    CFileExistsConditionalStatement();
    explicit CFileExistsConditionalStatement(const VFoundation::VString& arguments);
    ~CFileExistsConditionalStatement() override;

protected:
    bool RunTest(const VFoundation::VString& text) override;
};
