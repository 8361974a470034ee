#include "foundation/VImage.h"
#include "foundation/VString.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace VFoundation;

TEST(VImage, ResourceFolderServesOnlyRelativeNames) {
    KisTest::TempFolder folder;
    KisTest::WriteFile(folder / "Mark.tga", "not checked here");
    const VString saved = VImage::GetResourceFolder();
    VImage::SetResourceFolder(folder.Text().c_str());
    VString resolved;
    EXPECT_TRUE(VImage::ResolvePath("Mark.tga", resolved));
    EXPECT_EQ(std::string(resolved.GetText()), folder / "Mark.tga");
    // A missing absolute path stays itself instead of being looked for below the folder.
    EXPECT_FALSE(VImage::ResolvePath("/no/such/Mark.tga", resolved));
    EXPECT_STREQ(resolved.GetText(), "/no/such/Mark.tga");
    VImage::SetResourceFolder(saved.GetText());
}
