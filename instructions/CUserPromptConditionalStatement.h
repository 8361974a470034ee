#pragma once

#include "instructions/CTestConditionalStatement.h"

// "PromptUser": the true branch when the user answers OK in the confirm box (closing it is a no); the calling
// thread waits.
class CUserPromptConditionalStatement : public CTestConditionalStatement {
    V_DECLARE_CLASS(CUserPromptConditionalStatement)
public:
    CUserPromptConditionalStatement();
    explicit CUserPromptConditionalStatement(const VFoundation::VString& arguments);
    ~CUserPromptConditionalStatement() override;

protected:
    bool RunTest(const VFoundation::VString& text) override;
};
