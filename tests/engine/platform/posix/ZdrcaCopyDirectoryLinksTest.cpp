#include "tests/engine/ZdrcaCopyDirectoryTestSupport.h"

#include <algorithm>
#include <filesystem>

// Links need a system that makes them for everyone: a suite of its own, since the fixture is this file's.
class ZdrcaCopyDirectoryLinksTest : public ZdrcaCopyDirectoryTest {};

TEST_F(ZdrcaCopyDirectoryLinksTest, DecodedFilesReplaceLinksAndKeepEarlierFilesOnFailure) {
    for (const char* name : {"bad.zdrca", "linked.zdrca", "folder.zdrca", "plain.zdrca"})
        MakeFile(Src(name));
    m_host.pieces = {Src()};
    const std::string victim = m_root / "victim.txt";
    KisTest::WriteFile(victim, "victim");
    std::filesystem::create_directories(m_root / "elsewhere");
    KisTest::WriteFile(Dst("bad.wav"), "earlier installation");
    std::filesystem::create_symlink(victim, Dst("linked.wav"));
    std::filesystem::create_symlink(m_root / "elsewhere", Dst("folder.wav"));
    // What an interrupted run left: a temporary file and a temporary name planted as a link.
    KisTest::WriteFile(Dst(".kis-tmp-gone.wav"), "partial");
    std::filesystem::create_symlink(victim, Dst(".kis-tmp-plain.wav"));

    auto instruction = MakeInstruction();
    instruction->SetJobCount(2);
    instruction->SetDecodeFunction(ShuffledDecoder());
    EXPECT_TRUE(instruction->Execute());

    EXPECT_EQ(ReadFile(victim), "victim");
    EXPECT_EQ(ReadFile(Dst("bad.wav")), "earlier installation");
    EXPECT_FALSE(std::filesystem::is_symlink(Dst("linked.wav")));
    EXPECT_EQ(ReadFile(Dst("linked.wav")), "linked.zdrca");
    EXPECT_EQ(ReadFile(Dst("plain.wav")), "plain.zdrca");
    EXPECT_TRUE(std::filesystem::is_empty(m_root / "elsewhere"));
    EXPECT_TRUE(std::filesystem::is_symlink(Dst("folder.wav")));
    for (const std::string& file : InstalledFiles())
        EXPECT_EQ(std::filesystem::path(file).filename().string().rfind(".kis-tmp-", 0), std::string::npos)
            << file;
    const std::vector<Row> rows = Rows();
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const Row& row) {
        return row.marker == "Failure" && row.text == "ZdrcaCopyDirectory, Destination " + Dst("folder.wav") +
                                                          " is a folder or a link to a folder";
    }));
    const std::vector<std::string> entries = UninstallEntries();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "[File]," + Dst("bad.wav")), 0);
}
