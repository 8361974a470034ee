#pragma once

#include "instructions/CTestConditionalStatement.h"

// "FolderExists": the true branch when the path names an existing folder.
class CFolderExistsConditionalStatement : public CTestConditionalStatement {
    V_DECLARE_CLASS(CFolderExistsConditionalStatement)
public:
    CFolderExistsConditionalStatement();
    explicit CFolderExistsConditionalStatement(const VFoundation::VString& arguments);
    ~CFolderExistsConditionalStatement() override;

protected:
    bool RunTest(const VFoundation::VString& text) override;
};
