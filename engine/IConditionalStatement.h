#pragma once

#include "engine/IInstallerInstruction.h"

#include <cstdint>

// An instruction that, after running, tells the runner how many instructions to move forward: one count
// when its test held and another when it failed. Runners recognise it by kinship with this class record.
class IConditionalStatement : public IInstallerInstruction {
    V_DECLARE_CLASS(IConditionalStatement)
public:
    explicit IConditionalStatement(VFoundation::VClass* record = nullptr);
    ~IConditionalStatement() override;

    virtual int32_t GetNextStep() = 0;

    int32_t GetTrueSteps() const { return m_trueSteps; }
    int32_t GetFalseSteps() const { return m_falseSteps; }

    // Reads a count the way the scripts write it: leading blanks, an optional sign, digits up to the
    // first non-digit; no digits gives 0.
    static int32_t ParseCount(const VFoundation::VString& text);

protected:
    int32_t m_trueSteps = 1;
    int32_t m_falseSteps = 1;
};
