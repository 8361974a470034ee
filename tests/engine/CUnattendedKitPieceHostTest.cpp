#include "engine/CUnattendedKitPieceHost.h"

#include "engine/CInstallScript.h"
#include "foundation/VFileManager.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using KisTest::TempFolder;
using VFoundation::VRef;
using VFoundation::VString;

namespace {

VRef<CInstallScript> ParseScript(const TempFolder& folder, const std::string& pages) {
    const std::string path = folder / "Script.kis";
    KisTest::WriteFile(path, "{KestrawinInstallSystem}\n{Variables}\nLIB, " + folder.Text() +
                                 "\n{GlobalSetup}\nAPPLICATION_NAME, P\n{Pages}\n" + pages);
    auto script = VRef<CInstallScript>::Adopt(new CInstallScript());
    KisTest::LogCapture quiet;
    EXPECT_TRUE(script->Parse(path.c_str()));
    return script;
}

} // namespace

// Without the wizard, the kit piece page's defaults decide: every piece (a folder of a category folder)
// at the first install size of the list.
TEST(UnattendedKitPieceHost, SelectsEveryPieceAtTheFirstInstallSize) {
    TempFolder folder;
    for (const char* piece :
         {"Library/Kicks/Deep/Soft", "Library/Kicks/Tight/Soft", "Library/Snares/Maple/Hard"})
        std::filesystem::create_directories(folder / piece);
    KisTest::WriteFile(folder / "Library/Kicks/readme.txt");
    VRef<CInstallScript> script = ParseScript(
        folder,
        "ZDRKitPieceView, INSTALL_DIR, 2.3, $LIB$/Library, Pieces, [{3:Full:All hits}, {1:Lite:One}]\n");
    auto host = CUnattendedKitPieceHost::ForScript(*script);
    ASSERT_TRUE(host);
    EXPECT_EQ(host->GetMaxFilesPerFolder(), 3);
    ASSERT_EQ(host->GetSelectedFolders().size(), 3u);
    EXPECT_EQ(host->GetInstallPathCount(), 3);
    const VString deep((folder / "Library/Kicks/Deep").c_str());
    EXPECT_TRUE(host->IsInstallPath(deep));
    EXPECT_TRUE(host->IsOnInstallPath(VString((folder / "Library/Kicks").c_str())));
    EXPECT_TRUE(host->IsOnInstallPath(VString((folder / "Library/Kicks/Deep/Soft").c_str())));
    EXPECT_FALSE(host->IsInstallPath(VString((folder / "Library/Kicks").c_str())));
    EXPECT_FALSE(host->IsOnInstallPath(VString((folder / "Other").c_str())));
}

TEST(UnattendedKitPieceHost, NoHostWithoutTheKitPiecePage) {
    TempFolder folder;
    VRef<CInstallScript> script = ParseScript(folder, "CompletionView, Done\n");
    EXPECT_FALSE(CUnattendedKitPieceHost::ForScript(*script));
}
