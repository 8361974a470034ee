#include "engine/CInstallerThread.h"
#include "engine/CInstallLog.h"
#include "engine/CInstallScript.h"
#include "engine/IConditionalStatement.h"
#include "foundation/VException.h"
#include "foundation/VRef.h"
#include "instructions/CAbortInstallationInstruction.h"
#include "instructions/CCreateDirectoryInstruction.h"
#include "instructions/CExitSectionInstruction.h"
#include "instructions/CShowSplashScreenInstruction.h"
#include "tests/engine/InstructionTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace VFoundation;

namespace {

// An instruction that records its mark, reports the thread's progress as it saw it, and returns or
// throws as told.
class Probe : public IInstallerInstruction {
public:
    enum class Outcome { Succeed, Fail, ThrowVException, ThrowOther };

    Probe(std::string& trace, char mark, Outcome outcome = Outcome::Succeed,
          std::function<void()> action = nullptr)
        : m_trace(trace), m_mark(mark), m_outcome(outcome), m_action(std::move(action)) {}

    bool Execute() override {
        m_trace += m_mark;
        if (m_action) m_action();
        switch (m_outcome) {
        case Outcome::Succeed:
            return true;
        case Outcome::Fail:
            return false;
        case Outcome::ThrowVException:
            throw VException(0, nullptr, "probe failed");
        case Outcome::ThrowOther:
            throw 42;
        }
        return true;
    }

private:
    std::string& m_trace;
    char m_mark;
    Outcome m_outcome;
    std::function<void()> m_action;
};

class Jump : public IConditionalStatement {
public:
    Jump(std::string& trace, int32_t step) : m_trace(trace), m_step(step) {}
    bool Execute() override {
        m_trace += 'J';
        return true;
    }
    int32_t GetNextStep() override { return m_step; }

private:
    std::string& m_trace;
    int32_t m_step;
};

struct Fixture {
    KisTest::TempFolder folder;
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript());
    VRef<CInstallLog> log;
    std::string trace;

    Fixture() {
        script->DeclareVariable("APPLICATION_NAME", "T");
        script->DeclareVariable("APPLICATION_LOGPATH", folder.Text().c_str());
        log = CInstallLog::CreateForScript(*script, nullptr);
    }

    CInstallerSection* Section(const char* name, bool selected = true) {
        VRef<CInstallerSection> section = MakeRef<CInstallerSection>(name, "d", true, SectionPlatformNone);
        section->SetSelected(selected);
        script->GetSections().AddObject(section.Get());
        return section.Get();
    }
    void Add(CInstallerSection* section, IInstallerInstruction* instruction) {
        section->AddInstruction(VRef<IInstallerInstruction>::Adopt(instruction).Get());
    }
    bool Run(VRef<CInstallerThread>* keep = nullptr) {
        VRef<CInstallerThread> thread = MakeRef<CInstallerThread>(nullptr, script.Get(), log.Get(), nullptr);
        const bool result = thread->Run();
        if (keep) *keep = thread;
        return result;
    }
    std::string LogText() {
        log.Reset();
        return KisTest::ReadText(folder / "T_installLog.log");
    }
};

} // namespace

TEST(InstallerThread, UnselectedSectionsAddTheirShareAtOnce) {
    Fixture f;
    std::vector<float> seen;
    VRef<CInstallerThread> thread;
    CInstallerThread* running = nullptr;
    auto record = [&] { seen.push_back(running->GetProgress()); };
    CInstallerSection* first = f.Section("One");
    f.Add(first, new Probe(f.trace, 'a', Probe::Outcome::Succeed, record));
    f.Add(first, new Probe(f.trace, 'b', Probe::Outcome::Succeed, record));
    f.Section("Two", false);
    CInstallerSection* third = f.Section("Three");
    f.Add(third, new Probe(f.trace, 'c', Probe::Outcome::Succeed, record));
    thread = MakeRef<CInstallerThread>(nullptr, f.script.Get(), f.log.Get(), nullptr);
    running = thread.Get();
    EXPECT_TRUE(thread->Run());
    EXPECT_EQ(f.trace, "abc");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_FLOAT_EQ(seen[0], 0.0f);
    EXPECT_FLOAT_EQ(seen[1], 1.0f / 6.0f);
    EXPECT_FLOAT_EQ(seen[2], 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(thread->GetProgress(), 1.0f);
}

TEST(InstallerThread, ExitSectionLeavesOnlyItsSection) {
    Fixture f;
    CInstallerSection* first = f.Section("One");
    f.Add(first, new CExitSectionInstruction());
    f.Add(first, new Probe(f.trace, 'x'));
    CInstallerSection* second = f.Section("Two");
    f.Add(second, new Probe(f.trace, 'y'));
    VRef<CInstallerThread> thread;
    EXPECT_TRUE(f.Run(&thread));
    EXPECT_EQ(f.trace, "y");
    EXPECT_FLOAT_EQ(thread->GetProgress(), 0.5f);
    EXPECT_NE(f.LogText().find("|         |Section exited "), std::string::npos);
}

TEST(InstallerThread, ConditionalCountsMoveTheIndex) {
    Fixture f;
    CInstallerSection* section = f.Section("S");
    f.Add(section, new Jump(f.trace, 3));
    f.Add(section, new Probe(f.trace, '1'));
    f.Add(section, new Probe(f.trace, '2'));
    f.Add(section, new Probe(f.trace, '3'));
    f.Add(section, new Jump(f.trace, 9));
    f.Add(section, new Probe(f.trace, '5'));
    EXPECT_TRUE(f.Run());
    EXPECT_EQ(f.trace, "J3J");
}

TEST(InstallerThread, FailuresAndExceptionsAreRowsAndTheRunGoesOn) {
    Fixture f;
    CInstallerSection* section = f.Section("Main part");
    f.Add(section, new Jump(f.trace, 1));
    f.Add(section, new Probe(f.trace, 'f', Probe::Outcome::Fail));
    f.Add(section, new Probe(f.trace, 'v', Probe::Outcome::ThrowVException));
    f.Add(section, new Probe(f.trace, 'o', Probe::Outcome::ThrowOther));
    f.Add(section, new Probe(f.trace, 'z'));
    EXPECT_TRUE(f.Run());
    EXPECT_EQ(f.trace, "Jfvoz");
    const std::string log = f.LogText();
    const auto row = [](const std::string& text) {
        return "|Exception|" + text + std::string(240 - text.size(), ' ') + "|\n";
    };
    EXPECT_NE(
        log.find(row("Failed to execute IInstallerInstruction instruction properly, in section Main part")),
        std::string::npos)
        << log;
    EXPECT_NE(log.find(row("Exception id: 0 src: Unknown descr: probe failed")), std::string::npos);
    EXPECT_NE(log.find(row("Caught unknown exception whilst processing IInstallerInstruction instruction")),
              std::string::npos);
}

TEST(InstallerThread, AbortInstructionEndsTheRunWithItsResult) {
    for (const char* argument : {"Exit", "exit", ""}) {
        Fixture f;
        CInstallerSection* section = f.Section("S");
        f.Add(section, new CAbortInstallationInstruction(VString(argument)));
        f.Add(section, new Probe(f.trace, 'x'));
        EXPECT_EQ(f.Run(), std::string(argument) == "Exit") << argument;
        EXPECT_EQ(f.trace, "");
        EXPECT_NE(f.LogText().find("| Failure |Installation Aborted! "), std::string::npos);
    }
}

TEST(InstallerThread, SplashScreenInASectionEndsTheJob) {
    Fixture f;
    CInstallerSection* section = f.Section("S");
    f.Add(section, new CShowSplashScreenInstruction(VString("a.tga, 10")));
    try {
        f.Run();
        FAIL();
    } catch (const VException& exception) {
        EXPECT_STREQ(
            exception.GetDescriptionText().GetText(),
            "You cannot use a splash screen inside the installation thread. Splash screens can only be used "
            "in the PreRun script section");
    }
}

TEST(InstallerThread, AbortTakesEffectBetweenInstructions) {
    Fixture f;
    CInstallerThread* running = nullptr;
    CInstallerSection* section = f.Section("S");
    f.Add(section, new Probe(f.trace, 'a', Probe::Outcome::Succeed, [&] { running->Abort(); }));
    f.Add(section, new Probe(f.trace, 'b'));
    VRef<CInstallerThread> thread = MakeRef<CInstallerThread>(nullptr, f.script.Get(), f.log.Get(), nullptr);
    running = thread.Get();
    EXPECT_FALSE(thread->Run());
    EXPECT_EQ(f.trace, "a");
    EXPECT_TRUE(thread->IsAbortRequested());
}

TEST(InstallerThread, WithoutAScriptTheRunFails) {
    VRef<CInstallerThread> thread = MakeRef<CInstallerThread>(nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(thread->Run());
}

TEST(InstallerThread, RollbackUndoesAnAbortedOrStoppedRunButNotFailedSteps) {
    enum class End { FailedStep, Abort, Exception };
    for (End end : {End::FailedStep, End::Abort, End::Exception}) {
        Fixture f;
        f.script->DeclareVariable("APPLICATION_ROLLBACK", "true");
        CInstallerThread* running = nullptr;
        CInstallerSection* section = f.Section("S");
        f.Add(section, new CCreateDirectoryInstruction(VString((f.folder / "made/inner").c_str())));
        if (end == End::FailedStep) f.Add(section, new Probe(f.trace, 'f', Probe::Outcome::Fail));
        if (end == End::Abort)
            f.Add(section, new Probe(f.trace, 'a', Probe::Outcome::Succeed, [&] { running->Abort(); }));
        if (end == End::Exception) f.Add(section, new CShowSplashScreenInstruction(VString("a.tga, 10")));
        f.Add(section, new Probe(f.trace, 'x'));
        VRef<CInstallerThread> thread =
            MakeRef<CInstallerThread>(nullptr, f.script.Get(), f.log.Get(), nullptr);
        running = thread.Get();
        bool result = true;
        try {
            result = thread->Run();
        } catch (const VException&) {
            result = false;
        }
        const bool undone = end != End::FailedStep;
        EXPECT_EQ(result, !undone);
        EXPECT_EQ(thread->HasRolledBack(), undone);
        EXPECT_EQ(KisTest::fs::exists(f.folder / "made"), !undone);
    }
}
