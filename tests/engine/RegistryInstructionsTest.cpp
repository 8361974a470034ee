#include "InstructionTestSupport.h"

#include "application/VRegistry.h"
#include "instructions/CDeleteRegistryInstruction.h"
#include "instructions/CReadRegistryInstruction.h"
#include "instructions/CWriteRegistryInstruction.h"

using namespace KisTest;
using VApplication::VRegistry;
using VFoundation::VString;

namespace {

std::string Stored(const char* key, const char* name, const char* defaultText) {
    return VRegistry(key).GetStringByValue(name, defaultText).GetText();
}

// Every test gets its own settings store and a script with the variable TARGET.
class RegistryInstructions : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousStore = VRegistry::GetStoreLocation();
        VRegistry::SetStoreLocation((m_dir / "registry.db").c_str());
        script = VFoundation::MakeRef<CInstallScript>();
        script->DeclareVariable("TARGET", "old");
        script->DeclareVariable("VALUE", "C:\\Program Files\\Kis");
    }
    void TearDown() override { VRegistry::SetStoreLocation(m_previousStore.c_str()); }
    // The store the suite set up for every test.
    std::string m_previousStore;

    template <typename T> VFoundation::VRef<T> MakeWithScript(const char* arguments) {
        auto instruction = Make<T>(arguments);
        instruction->SetScript(script.Get());
        return instruction;
    }
    std::string Target() const { return script->FindVariable("TARGET")->GetValue().GetText(); }

    TempFolder m_dir;
    VFoundation::VRef<CInstallScript> script;
};

} // namespace

TEST_F(RegistryInstructions, WriteThenReadRoundTripsAndRecordsOneEntry) {
    TestLog log;
    EXPECT_TRUE(RunLogged(
        *MakeWithScript<CWriteRegistryInstruction>("$VALUE$, Software\\Kis\\Test, InstallPath"), log));
    // Separators in every argument are made native, the value text's too.
    EXPECT_EQ(Stored("Software/Kis/Test", "InstallPath", "none"), "C:/Program Files/Kis");

    EXPECT_TRUE(
        RunLogged(*MakeWithScript<CReadRegistryInstruction>("TARGET, software/KIS/test, installpath"), log));
    EXPECT_EQ(Target(), "C:/Program Files/Kis");

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 1u); // a successful read writes no row
    EXPECT_TRUE(rows[0].succeeded());
    EXPECT_EQ(rows[0].text, "WriteRegistry. Key=InstallPath, value=C:/Program Files/Kis");
    EXPECT_EQ(log.UninstallEntries(),
              std::vector<std::string>{"[Registry],Software/Kis/Test,InstallPath,C:/Program Files/Kis"});
}

TEST_F(RegistryInstructions, MissingOrNullValueLeavesTheVariable) {
    VRegistry("Software/Kis").SetString("Stored", "NULL");
    TestLog log;
    EXPECT_FALSE(RunLogged(*MakeWithScript<CReadRegistryInstruction>("TARGET, Software/Kis, Absent"), log));
    EXPECT_FALSE(RunLogged(*MakeWithScript<CReadRegistryInstruction>("TARGET, Software/Kis, Stored"), log));
    EXPECT_FALSE(
        RunLogged(*MakeWithScript<CReadRegistryInstruction>("UNDECLARED, Software/Kis, Stored"), log));
    EXPECT_EQ(Target(), "old");

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 3u);
    for (const auto& row : rows)
        EXPECT_FALSE(row.succeeded());
    EXPECT_EQ(rows[0].text, "ReadRegistry. Failed to read registry value for key Absent properly");
    EXPECT_EQ(rows[1].text, "ReadRegistry. Failed to read registry value for key Stored properly");
    EXPECT_EQ(rows[2].text, "ReadRegistry. Variable UNDECLARED doesnt exist");
}

TEST_F(RegistryInstructions, DeleteAlwaysSucceedsAndLogsWhatHappened) {
    VRegistry("Software/Kis/Gone").SetString("Name", "value");
    TestLog log;
    EXPECT_TRUE(RunLogged(*MakeWithScript<CDeleteRegistryInstruction>("Software/Kis, Gone"), log));
    EXPECT_EQ(Stored("Software/Kis/Gone", "Name", "NULL"), "NULL");
    EXPECT_TRUE(RunLogged(*MakeWithScript<CDeleteRegistryInstruction>("Software/Kis, Gone"), log));

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].succeeded());
    EXPECT_EQ(rows[0].text, "DeleteRegistry. Key=Gone");
    EXPECT_FALSE(rows[1].succeeded());
    EXPECT_TRUE(log.UninstallEntries().empty());
}

TEST_F(RegistryInstructions, WithoutScriptExecuteThrows) {
    auto write = Make<CWriteRegistryInstruction>("v, Software/Kis, Name");
    try {
        write->Execute();
        FAIL() << "no exception";
    } catch (const VFoundation::VException& exception) {
        EXPECT_EQ(exception.GetId(), 0);
        EXPECT_EQ(exception.GetSource(), write.Get());
        EXPECT_STREQ(exception.GetDescriptionText().GetText(),
                     "Parser is NULL. Cannot continue without the parser");
    }
    EXPECT_THROW(Make<CReadRegistryInstruction>("A, B, C")->Execute(), VFoundation::VException);
    EXPECT_THROW(Make<CDeleteRegistryInstruction>("A, B")->Execute(), VFoundation::VException);
    EXPECT_EQ(Stored("Software/Kis", "Name", "NULL"), "NULL");
}

TEST(RegistryInstructionArguments, TooFewArgumentsThrowAtConstruction) {
    EXPECT_EQ(ConstructionError<CReadRegistryInstruction>("A, Software/Kis"),
              "There are not enough arguments for the read registry operation to proceed");
    EXPECT_EQ(ConstructionError<CWriteRegistryInstruction>("A, Software/Kis"),
              "There are not enough arguments for the write registry operation to proceed");
    EXPECT_EQ(ConstructionError<CDeleteRegistryInstruction>("Software/Kis"),
              "There are not enough arguments for the delete registry operation to proceed");
    EXPECT_EQ(ConstructionError<CReadRegistryInstruction>("A, B, C, D"), "");
}
