#pragma once

#include "engine/IConditionalStatement.h"
#include "foundation/VString.h"

// The statements that test something: their argument text is the text to test and the two step counts.
// Execute expands the text in place (it stays expanded), makes it native and stores the test's outcome.
class CTestConditionalStatement : public IConditionalStatement {
    V_DECLARE_CLASS(CTestConditionalStatement)
public:
    explicit CTestConditionalStatement(VFoundation::VClass* record = nullptr);
    CTestConditionalStatement(const VFoundation::VString& arguments, VFoundation::VClass* record);
    ~CTestConditionalStatement() override;

    bool Execute() override;
    int32_t GetNextStep() override;

    const VFoundation::VString& GetText() const { return m_text; }
    bool GetTestResult() const { return m_testResult; }

protected:
    virtual bool RunTest(const VFoundation::VString& text) = 0;

private:
    VFoundation::VString m_text;
    bool m_testResult = false;
};
