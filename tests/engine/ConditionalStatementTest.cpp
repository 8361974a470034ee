#include "application/VApplication.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "engine/CInstallScript.h"
#include "engine/CInstructionFactory.h"
#include "engine/IConditionalStatement.h"
#include "foundation/VException.h"
#include "foundation/VRef.h"
#include "tests/engine/InstructionTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace VFoundation;

namespace {

VRef<IConditionalStatement> Statement(const std::string& line, CInstallScript* script = nullptr) {
    IInstallerInstruction* made =
        CInstructionFactory::CreateInstructionFromLine(VString(line.c_str()), script);
    return VRef<IConditionalStatement>::Adopt(static_cast<IConditionalStatement*>(made));
}

int32_t StepAfterRunning(const std::string& line, CInstallScript* script = nullptr) {
    VRef<IConditionalStatement> statement = Statement(line, script);
    EXPECT_TRUE(statement->Execute());
    return statement->GetNextStep();
}

// Answers every dialog with a scripted responder for the length of a test.
class ScopedResponder {
public:
    ScopedResponder() : m_responder(std::make_shared<VApplication::ScriptedResponder>()) {
        m_previous = VApplication::GetBackend();
        VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>(m_responder));
    }
    ~ScopedResponder() { VApplication::SetBackend(m_previous); }
    VApplication::ScriptedResponder& operator*() { return *m_responder; }

private:
    std::shared_ptr<VApplication::ScriptedResponder> m_responder;
    std::shared_ptr<VApplication::IApplicationBackend> m_previous;
};

} // namespace

TEST(ConditionalStatement, FileAndFolderTests) {
    KisTest::TempFolder folder;
    KisTest::WriteFile(folder / "file.txt");
    const std::string dir = folder.Text();
    EXPECT_EQ(StepAfterRunning("FileExists, " + dir + ", 1, 3"), 1);
    EXPECT_EQ(StepAfterRunning("FileExists, " + (folder / "file.txt") + ", 1, 3"), 1);
    EXPECT_EQ(StepAfterRunning("FileExists, " + (folder / "missing") + ", 1, 3"), 3);
    EXPECT_EQ(StepAfterRunning("FolderExists, " + dir + ", 2, 5"), 2);
    EXPECT_EQ(StepAfterRunning("FolderExists, " + (folder / "file.txt") + ", 2, 5"), 5);
    EXPECT_EQ(StepAfterRunning("If SkipInstructions, 3"), 3);
    EXPECT_EQ(StepAfterRunning("SkipInstructions,  -2 "), -2);
    EXPECT_EQ(StepAfterRunning("FileExists, " + dir + ", one, 3"), 0);
}

TEST(ConditionalStatement, TextIsExpandedAndStaysExpanded) {
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript());
    KisTest::TempFolder folder;
    script->DeclareVariable("HERE", folder.Text().c_str());
    VRef<IConditionalStatement> statement = Statement("FolderExists, $HERE$, 1, 2", script.Get());
    ASSERT_TRUE(statement->Execute());
    EXPECT_EQ(statement->GetNextStep(), 1);
    script->SetVariable("HERE", "/elsewhere/entirely");
    ASSERT_TRUE(statement->Execute());
    EXPECT_EQ(statement->GetNextStep(), 1);
}

TEST(ConditionalStatement, PromptUserAsksWithNativePathsAndCancelIsFalse) {
    ScopedResponder responder;
    (*responder).Push(VApplication::DialogAnswer::Yes());
    (*responder).Push(VApplication::DialogAnswer::No());
    EXPECT_EQ(StepAfterRunning("PromptUser, Replace a\\b?, 1, 2"), 1);
    EXPECT_EQ(StepAfterRunning("PromptUser, Replace a\\b?, 1, 2"), 2);
    const auto requests = (*responder).GetRequests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string expected = std::string("Replace a") + VString::NativeSeparator() + "b?";
    EXPECT_EQ(std::string(requests[0].text.GetText()), expected);
    EXPECT_EQ(requests[0].kind, VApplication::DialogKind::Confirm);
}

TEST(ConditionalStatement, MissingStepCountsStopTheParse) {
    EXPECT_THROW(Statement("FileExists, a, 1"), VException);
    EXPECT_THROW(Statement("PromptUser, a"), VException);
    EXPECT_NO_THROW(Statement("FileExists, a, 1, 2, 3"));
}
