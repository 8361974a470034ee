#include "instructions/CTestConditionalStatement.h"

#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VStringTokenizer.h"

using namespace VFoundation;

V_IMPLEMENT_ABSTRACT_CLASS(CTestConditionalStatement, IConditionalStatement)

CTestConditionalStatement::CTestConditionalStatement(VClass* record)
    : IConditionalStatement(record ? record : GetClassRecord()) {}

CTestConditionalStatement::CTestConditionalStatement(const VString& arguments, VClass* record)
    : IConditionalStatement(record ? record : GetClassRecord()) {
    VStringTokenizer fields(arguments, ',');
    VString trueSteps, falseSteps;
    fields.NextToken(m_text);
    m_text.Trim();
    if (!fields.NextToken(trueSteps) || !fields.NextToken(falseSteps))
        throw VException(0, this, "Failed to get both the true and false steps for conditional");
    m_trueSteps = ParseCount(trueSteps.Trim());
    m_falseSteps = ParseCount(falseSteps.Trim());
}

CTestConditionalStatement::~CTestConditionalStatement() = default;

bool CTestConditionalStatement::Execute() {
    ExpandPath(m_text);
    m_testResult = RunTest(m_text);
    return true;
}

int32_t CTestConditionalStatement::GetNextStep() {
    return m_testResult ? m_trueSteps : m_falseSteps;
}
