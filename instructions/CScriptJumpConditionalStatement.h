#pragma once

#include "engine/IConditionalStatement.h"
#include "foundation/VString.h"

// "SkipInstructions": always moves forward by its one count.
class CScriptJumpConditionalStatement : public IConditionalStatement {
    V_DECLARE_CLASS(CScriptJumpConditionalStatement)
public:
    CScriptJumpConditionalStatement();
    explicit CScriptJumpConditionalStatement(const VFoundation::VString& arguments);
    ~CScriptJumpConditionalStatement() override;

    bool Execute() override;
    int32_t GetNextStep() override;
};
