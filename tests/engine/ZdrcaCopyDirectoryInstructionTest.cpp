#include "tests/engine/ZdrcaCopyDirectoryTestSupport.h"

TEST_F(ZdrcaCopyDirectoryTest, ConstructorNeedsSourceAndDestination) {
    try {
        CZdrcaCopyDirectoryInstruction instruction(VString("onlyone"));
        FAIL() << "no exception";
    } catch (const VException& exception) {
        EXPECT_STREQ(exception.GetDescriptionText().GetText(),
                     "ZdrcaCopyDirectory must have at least a source and destination");
    }
    auto instruction = MakeRef<CZdrcaCopyDirectoryInstruction>(VString("  a/b ,c , extra"));
    EXPECT_STREQ(instruction->GetSource().GetText(), "a/b");
    EXPECT_STREQ(instruction->GetDestination().GetText(), "c");
    EXPECT_STREQ(instruction->GetClassName(), "CZdrcaCopyDirectoryInstruction");
}

TEST_F(ZdrcaCopyDirectoryTest, PicksEntriesEvenlyAcrossTheSortedListing) {
    for (int i = 0; i < 10; ++i)
        MakeFile(Src("s" + std::to_string(i) + ".zdrca"));
    m_host.pieces = {Src()};

    m_host.maxFiles = 4;
    auto instruction = MakeInstruction();
    UseRecordingDecoder(*instruction);
    EXPECT_TRUE(instruction->Execute());
    EXPECT_EQ(m_decoded, (std::vector<std::string>{"s0.zdrca", "s2.zdrca", "s4.zdrca", "s6.zdrca"}));
    EXPECT_TRUE(std::filesystem::exists(Dst("s6.wav")));
    EXPECT_FALSE(std::filesystem::exists(Dst("s1.wav")));
    EXPECT_FLOAT_EQ(instruction->GetProgress(), 1.0f);

    m_decoded.clear();
    m_host.maxFiles = 20;
    instruction = MakeInstruction();
    UseRecordingDecoder(*instruction);
    EXPECT_TRUE(instruction->Execute());
    ASSERT_EQ(m_decoded.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(m_decoded[i], "s" + std::to_string(i) + ".zdrca");
}

TEST_F(ZdrcaCopyDirectoryTest, PlainFilesAndFoldersInACompressedFolderAreNeverInstalled) {
    // Listing: folder sub, then a.zdrca, b.txt, c.zdrca, d.zdrca (n = 5); a maximum of 3 picks 0, 1, 2.
    MakeFile(Src("sub/x.zdrca"));
    MakeFile(Src("a.zdrca"));
    MakeFile(Src("b.txt"));
    MakeFile(Src("c.zdrca"));
    MakeFile(Src("d.zdrca"));
    m_host.pieces = {Src()};
    m_host.maxFiles = 3;
    auto instruction = MakeInstruction();
    UseRecordingDecoder(*instruction);
    EXPECT_TRUE(instruction->Execute());
    EXPECT_EQ(m_decoded, std::vector<std::string>{"a.zdrca"});
    EXPECT_FALSE(std::filesystem::exists(Dst("b.txt")));
    EXPECT_FALSE(std::filesystem::exists(Dst("sub")));
}

TEST_F(ZdrcaCopyDirectoryTest, TheFifthFailureOfEightEndsTheFolder) {
    for (int i = 0; i < 8; ++i)
        MakeFile(Src("s" + std::to_string(i) + ".zdrca"));
    m_host.pieces = {Src()};
    m_host.maxFiles = 8;

    // Every decode fails on all three tries: the fifth file's failure is one more than 8 / 2.
    auto instruction = MakeInstruction();
    UseRecordingDecoder(*instruction, std::vector<bool>(100, true));
    EXPECT_FALSE(instruction->Execute());
    EXPECT_EQ(m_decoded.size(), 5u * 3u);
    const std::vector<Row> rows = Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().marker, "Exception");
    EXPECT_EQ(rows.back().text, "Failure count has reached half the files in the directory " + Src());
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const Row& row) { return row.marker == "Failure"; }),
              5);
    // A file whose every try failed leaves nothing behind.
    EXPECT_FALSE(std::filesystem::exists(Dst("s0.wav")));

    // Four files failing (three tries each) still let the folder run to its end.
    m_decoded.clear();
    instruction = MakeInstruction();
    UseRecordingDecoder(*instruction, std::vector<bool>(12, true));
    EXPECT_TRUE(instruction->Execute());
    EXPECT_EQ(m_decoded.size(), 12u + 4u);
    EXPECT_TRUE(std::filesystem::exists(Dst("s7.wav")));
}

TEST_F(ZdrcaCopyDirectoryTest, ASuccessOnTheThirdTryCountsAsSuccess) {
    MakeFile(Src("Take.1.zdrca"));
    m_host.pieces = {Src()};
    auto instruction = MakeInstruction();
    UseRecordingDecoder(*instruction, {true, true, false});
    EXPECT_TRUE(instruction->Execute());
    EXPECT_EQ(m_decoded.size(), 3u);
    const std::string wave = Dst("Take.1.wav");
    EXPECT_TRUE(std::filesystem::exists(wave));

    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].marker, "");
    EXPECT_EQ(rows[0].text, "ZdrcaCopyDirectory,Attempt=2 Src=" + Src("Take.1.zdrca") + " Dest=" + wave);
    EXPECT_EQ(UninstallEntries(), std::vector<std::string>{"[File]," + wave});
    // The last three components of the destination folder, then the name.
    const std::string parents =
        m_root.Path().parent_path().filename().string() + "/" + m_root.Path().filename().string();
    EXPECT_EQ(m_status.texts, std::vector<std::string>{"Unpacking: " + parents + "/dst/Take.1.zdrca"});
}

TEST_F(ZdrcaCopyDirectoryTest, PlainTreeFollowsTheInstallPathsAndSkipsDSStore) {
    MakeFile(Src("readme.txt"), "readme");
    MakeFile(Src(".DS_Store"));
    MakeFile(Src("Kits/Snare/info.txt"), "snare");
    MakeFile(Src("Kits/Snare/.DS_Store"));
    MakeFile(Src("Kits/Kick/info.txt"), "kick");
    MakeFile(Src("Other/file.txt"));
    m_host.pieces = {Src("Kits/Snare")};
    auto instruction = MakeInstruction();
    EXPECT_TRUE(instruction->Execute());

    EXPECT_EQ(ReadFile(Dst("readme.txt")), "readme");
    EXPECT_EQ(ReadFile(Dst("Kits/Snare/info.txt")), "snare");
    EXPECT_FALSE(std::filesystem::exists(Dst(".DS_Store")));
    EXPECT_FALSE(std::filesystem::exists(Dst("Kits/Snare/.DS_Store")));
    EXPECT_FALSE(std::filesystem::exists(Dst("Kits/Kick")));
    EXPECT_FALSE(std::filesystem::exists(Dst("Other")));
    EXPECT_FLOAT_EQ(instruction->GetProgress(), 0.0f);
    EXPECT_EQ(
        UninstallEntries(),
        (std::vector<std::string>{"[Folder]," + Dst("Kits"), "[Folder]," + Dst("Kits/Snare"),
                                  "[File]," + Dst("Kits/Snare/info.txt"), "[File]," + Dst("readme.txt")}));
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].text, "ZdrcaCopyDirectory, Created directory " + Dst("Kits"));
    EXPECT_EQ(rows[3].text, "ZdrcaCopyDirectory. Src=" + Src("readme.txt") + ", Dst=" + Dst("readme.txt"));
}

TEST_F(ZdrcaCopyDirectoryTest, CompressedFoldersOffTheInstallPathAreSkippedWithoutProgress) {
    for (const char* kit : {"Kick", "Snare", "Tom"})
        MakeFile(Src(std::string("Kits/") + kit + "/hit.zdrca"));
    m_host.pieces = {Src("Kits/Kick"), Src("Kits/Tom")};
    m_host.pathCount = 4;
    auto instruction = MakeInstruction();
    UseRecordingDecoder(*instruction);
    EXPECT_TRUE(instruction->Execute());
    EXPECT_EQ(m_decoded.size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(Dst("Kits/Kick/hit.wav")));
    EXPECT_FALSE(std::filesystem::exists(Dst("Kits/Snare")));
    EXPECT_TRUE(std::filesystem::exists(Dst("Kits/Tom/hit.wav")));
    EXPECT_FLOAT_EQ(instruction->GetProgress(), 0.5f);
    EXPECT_EQ(m_status.texts.front(), "Unpacking: dst/Kits/Kick/hit.zdrca");
}

TEST_F(ZdrcaCopyDirectoryTest, RefusesToRunWithoutHostSourceOrInstallPaths) {
    MakeFile(Src("a.txt"));
    auto instruction = MakeInstruction();
    instruction->SetInstallHost(nullptr);
    EXPECT_FALSE(instruction->Execute());
    EXPECT_TRUE(Rows().empty());

    m_host.pathCount = 0;
    instruction = MakeInstruction();
    EXPECT_FALSE(instruction->Execute());
    EXPECT_FALSE(std::filesystem::exists(Dst("a.txt")));
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].marker, "Failure");
    EXPECT_EQ(Rows()[0].text, "ZdrcaCopyDirectory, Host returned 0 install paths");

    auto missing = MakeRef<CZdrcaCopyDirectoryInstruction>(VString((Src("none") + "," + Dst()).c_str()));
    missing->SetLog(m_log.Get());
    missing->SetInstallHost(&m_host);
    EXPECT_FALSE(missing->Execute());
    EXPECT_EQ(Rows().back().text, "ZdrcaCopyDirectory. Source dir " + Src("none") + " doesnt exist");
}

TEST_F(ZdrcaCopyDirectoryTest, AbortFromAnotherThreadStopsBetweenFiles) {
    for (int i = 0; i < 6; ++i)
        MakeFile(Src("s" + std::to_string(i) + ".zdrca"));
    m_host.pieces = {Src()};
    auto instruction = MakeInstruction();
    CZdrcaCopyDirectoryInstruction* target = instruction.Get();
    instruction->SetDecodeFunction([this, target](const VString& source, const VString& destination) {
        m_decoded.emplace_back(source.GetText());
        KisTest::WriteFile(destination.GetText(), "wave");
        if (m_decoded.size() == 2) std::thread([target] { target->Abort(); }).join();
        return 0;
    });
    EXPECT_FALSE(instruction->Execute());
    EXPECT_EQ(m_decoded.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(Dst("s2.wav")));
    // An aborted instruction stays aborted.
    EXPECT_FALSE(instruction->Execute());
    EXPECT_EQ(m_decoded.size(), 2u);

    // A stop between the tries of a failing file ends them; its partial output goes.
    m_decoded.clear();
    instruction = MakeInstruction();
    target = instruction.Get();
    instruction->SetDecodeFunction([this, target](const VString& source, const VString& destination) {
        m_decoded.emplace_back(source.GetText());
        KisTest::WriteFile(destination.GetText(), "partial");
        std::thread([target] { target->Abort(); }).join();
        return 1;
    });
    std::filesystem::remove_all(Dst());
    std::filesystem::create_directories(Dst());
    EXPECT_FALSE(instruction->Execute());
    EXPECT_EQ(m_decoded.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(Dst("s0.wav")));
    for (const Row& row : Rows())
        EXPECT_EQ(row.text.find("Attempt=3"), std::string::npos) << row.text;
}

TEST_F(ZdrcaCopyDirectoryTest, InstallsRealStreamsAsTheFlacToolDecodesThem) {
    ASSERT_TRUE(KisTest::FlacToolAvailable()) << "the flac tool is needed as oracle";
    const std::string folder = Src("Library/Kick/Hard");
    std::filesystem::create_directories(folder);
    const struct {
        const char* name;
        int channels, bits;
    } samples[] = {{"Take.1", 2, 24}, {"Take.2", 1, 16}};
    for (const auto& sample : samples) {
        const std::string wave = m_root / (std::string(sample.name) + ".in.wav");
        KisTest::WriteTestWave(wave, sample.channels, sample.bits, 12345);
        ASSERT_TRUE(KisTest::EncodeWithFlacTool(wave, folder + "/" + sample.name + ".zdrca"));
    }
    MakeFile(Src("Library/Kick/Hard/broken.zdrca"), "not a stream");
    m_host.pieces = {Src("Library/Kick")};
    auto instruction = MakeInstruction();
    EXPECT_TRUE(instruction->Execute());

    for (const auto& sample : samples) {
        const std::string installed = Dst(std::string("Library/Kick/Hard/") + sample.name + ".wav");
        const std::string oracle = m_root / (std::string(sample.name) + ".tool.wav");
        ASSERT_TRUE(KisTest::DecodeWithFlacTool(folder + "/" + sample.name + ".zdrca", oracle));
        EXPECT_TRUE(ReadFile(installed) == ReadFile(oracle)) << sample.name;
    }
    EXPECT_FALSE(std::filesystem::exists(Dst("Library/Kick/Hard/broken.wav")));
    const std::vector<Row> rows = Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().text, "ZdrcaCopyDirectory,Attempt=0 Src=" + folder +
                                    "/Take.2.zdrca Dest=" + Dst("Library/Kick/Hard/Take.2.wav"));
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const Row& row) {
        return row.marker == "Failure" &&
               row.text == "ZdrcaCopyDirectory,Attempt=3 Src=" + folder +
                               "/broken.zdrca Dest=" + Dst("Library/Kick/Hard/broken.wav");
    }));
    EXPECT_EQ(m_status.texts.back(), "Unpacking: Library/Kick/Hard/Take.2.zdrca");
}

TEST_F(ZdrcaCopyDirectoryTest, ParallelDecodingWritesTheRowsEntriesAndTextsOfASerialRun) {
    // Kick: 12 files, 2 failing; Snare: 8 files of which 5 fail, so the failure limit ends it; Tom: one
    // file, failing; plain files around them.
    for (int i = 0; i < 12; ++i)
        MakeFile(Src("Kits/Kick/" + std::string(i % 5 == 3 ? "bad" : "hit") + std::to_string(i) + ".zdrca"));
    for (int i = 0; i < 8; ++i)
        MakeFile(Src("Kits/Snare/" + std::string(i % 3 == 2 ? "hit" : "bad") + std::to_string(i) + ".zdrca"));
    MakeFile(Src("Kits/Tom/bad.zdrca"));
    MakeFile(Src("Kits/info.txt"));
    MakeFile(Src("readme.txt"));
    m_host.pieces = {Src("Kits")};
    m_host.pathCount = 3;

    struct Run {
        std::vector<Row> rows;
        std::vector<std::string> entries, texts, files;
        float progress;
    };
    auto run = [this](int jobs) {
        std::filesystem::remove_all(Dst());
        std::filesystem::create_directories(Dst());
        m_status.texts.clear();
        m_log = MakeRef<CInstallLog>();
        const std::string logs = m_root / ("logs" + std::to_string(jobs));
        std::filesystem::create_directories(logs);
        EXPECT_TRUE(m_log->Open(VString(logs.c_str()), VString("Zdrca")));
        m_log->WriteTableHead();
        auto instruction = MakeInstruction();
        instruction->SetJobCount(jobs);
        instruction->SetDecodeFunction(ShuffledDecoder());
        EXPECT_TRUE(instruction->Execute());
        return Run{Rows(), UninstallEntries(), m_status.texts, InstalledFiles(), instruction->GetProgress()};
    };
    const Run serial = run(1);
    const Run parallel = run(4);
    ASSERT_EQ(serial.rows.size(), parallel.rows.size());
    for (size_t i = 0; i < serial.rows.size(); ++i) {
        EXPECT_EQ(serial.rows[i].marker, parallel.rows[i].marker) << i;
        EXPECT_EQ(serial.rows[i].text, parallel.rows[i].text) << i;
    }
    EXPECT_EQ(serial.entries, parallel.entries);
    EXPECT_EQ(serial.texts, parallel.texts);
    // The same files, and no temporary file left by the decodes withdrawn after the failure limit.
    EXPECT_EQ(serial.files, parallel.files);
    EXPECT_FLOAT_EQ(serial.progress, parallel.progress);
    EXPECT_TRUE(std::any_of(parallel.rows.begin(), parallel.rows.end(), [&](const Row& row) {
        return row.text == "Failure count has reached half the files in the directory " + Src("Kits/Snare");
    }));
    EXPECT_FALSE(std::filesystem::exists(Dst("Kits/Snare/hit5.wav")));
}

TEST_F(ZdrcaCopyDirectoryTest, AbortDuringAParallelDecodeLeavesOnlyCompleteRecordedFiles) {
    for (int i = 0; i < 40; ++i)
        MakeFile(Src("s" + std::to_string(i) + ".zdrca"));
    m_host.pieces = {Src()};
    auto instruction = MakeInstruction();
    CZdrcaCopyDirectoryInstruction* target = instruction.Get();
    std::atomic<int> calls{0};
    instruction->SetJobCount(3);
    instruction->SetDecodeFunction([&calls, target](const VString& source, const VString& destination) {
        if (++calls == 10) std::thread([target] { target->Abort(); }).join();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        KisTest::WriteFile(destination.GetText(), std::string("complete ") + source.GetText());
        return 0;
    });
    EXPECT_FALSE(instruction->Execute());
    // Every worker stops within the file it was decoding.
    EXPECT_LE(calls.load(), 10 + 2);
    const std::vector<std::string> entries = UninstallEntries();
    const std::vector<std::string> files = InstalledFiles();
    EXPECT_LT(files.size(), 12u);
    for (const std::string& file : files) {
        EXPECT_NE(std::find(entries.begin(), entries.end(), "[File]," + file), entries.end()) << file;
        EXPECT_EQ(ReadFile(file).rfind("complete ", 0), 0u) << file;
    }
    EXPECT_EQ(entries.size(), files.size());
}
