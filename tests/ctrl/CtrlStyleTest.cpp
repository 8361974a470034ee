#include "ctrl/CtrlStyle.h"
#include "ctrl/CtrlTestSupport.h"
#include "foundation/VDictionary.h"
#include "foundation/VImage.h"
#include "foundation/VImageIOTarga.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "foundation/VXMLFile.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using VCtrl::CtrlStyle;
using VCtrl::VColour;
using VFoundation::MakeRef;
using VFoundation::VDictionary;
using VFoundation::VImage;
using VFoundation::VRef;
using VFoundation::VString;

namespace {

class CtrlStyleTest : public KisTest::ToolkitTest {
protected:
    void SetUp() override {
        KisTest::ToolkitTest::SetUp();
        folder = std::filesystem::temp_directory_path() /
                 ("kis-ctrlstyle-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        std::filesystem::remove_all(folder);
        KisTest::ToolkitTest::TearDown();
    }
    // Writes a 3 x 2 Targa picture and returns its path.
    std::string WriteTarga(const char* name) {
        VImage image;
        EXPECT_TRUE(image.CreateBitmap(3, 2, 32));
        const std::string path = (folder / name).string();
        EXPECT_TRUE(VFoundation::VImageIOTarga::WriteToFile(image, path.c_str()));
        return path;
    }
    VRef<CtrlStyle> MakeNamed(const char* name) {
        auto style = MakeRef<CtrlStyle>();
        style->SetName(name);
        return style;
    }
    std::filesystem::path folder;
};

} // namespace

TEST_F(CtrlStyleTest, FindStyleReturnsTheListedStyleOfThatName) {
    auto first = MakeNamed("button");
    auto other = MakeNamed("label");
    auto unnamed = MakeRef<CtrlStyle>();
    EXPECT_EQ(CtrlStyle::FindStyle("button"), nullptr) << "styles enter the list when added";
    EXPECT_TRUE(CtrlStyle::AddStyle(first.Get()));
    EXPECT_TRUE(CtrlStyle::AddStyle(other.Get()));
    EXPECT_TRUE(CtrlStyle::AddStyle(unnamed.Get()));
    EXPECT_FALSE(CtrlStyle::AddStyle(first.Get()));
    EXPECT_EQ(CtrlStyle::FindStyle("button"), first.Get());
    EXPECT_EQ(CtrlStyle::FindStyle("label"), other.Get());
    EXPECT_EQ(CtrlStyle::FindStyle("Button"), nullptr) << "names compare with regard to case";
    EXPECT_EQ(CtrlStyle::FindStyle(""), nullptr);
    EXPECT_EQ(CtrlStyle::FindStyle(nullptr), nullptr);
    EXPECT_EQ(first->GetRetainCount(), 2) << "the list retains its styles";

    // A style of a name already listed takes its place.
    auto second = MakeNamed("button");
    EXPECT_TRUE(CtrlStyle::AddStyle(second.Get()));
    EXPECT_EQ(CtrlStyle::FindStyle("button"), second.Get());
    EXPECT_EQ(CtrlStyle::GetStyleCount(), 3);
    EXPECT_EQ(first->GetRetainCount(), 1);

    EXPECT_TRUE(CtrlStyle::RemoveStyle(second.Get()));
    EXPECT_EQ(CtrlStyle::FindStyle("button"), nullptr);
    VCtrl::UninitializeLibrary();
    EXPECT_EQ(other->GetRetainCount(), 1) << "stopping the toolkit empties the list";
    VCtrl::InitializeLibrary();
}

TEST_F(CtrlStyleTest, FlagsByBitIndexAndName) {
    auto style = MakeRef<CtrlStyle>(CtrlStyle::kFlagHighlight | CtrlStyle::kFlagNoMouseOverEvent);
    EXPECT_TRUE(style->HasFlags(CtrlStyle::kFlagHighlight));
    EXPECT_TRUE(style->HasFlags(CtrlStyle::kFlagHighlight | CtrlStyle::kFlagNoMouseOverEvent));
    EXPECT_FALSE(style->HasFlags(CtrlStyle::kFlagHighlight | CtrlStyle::kFlagNoDefaultDrawing));
    EXPECT_TRUE(style->HasFlagIndex(2));
    EXPECT_FALSE(style->IsFlagSetAt(1));
    style->SetFlagIndex(true, 1);
    style->SetFlags(false, CtrlStyle::kFlagHighlight);
    EXPECT_EQ(style->GetFlags(), 6u);
    style->SetFlagIndex(true, 40);
    EXPECT_EQ(style->GetFlags(), 6u) << "an index past the word changes nothing";
    EXPECT_STREQ(style->GetFlagName(1), "highlight");
    EXPECT_STREQ(style->GetFlagName(2), "noDefaultDrawing");
    EXPECT_STREQ(style->GetFlagName(4), "noMouseOverEvent");
    EXPECT_STREQ(style->GetFlagName(8), "");
}

TEST_F(CtrlStyleTest, OptionsGiveTheirValueOrTheDefault) {
    auto style = MakeRef<CtrlStyle>();
    EXPECT_EQ(style->GetIntOption("textOffset", -3), -3);
    style->SetIntOption("textOffset", 4);
    EXPECT_EQ(style->GetIntOption("textOffset", 0), 4);
    style->SetRealOption("ratio", 0.5);
    EXPECT_DOUBLE_EQ(style->GetRealOption("ratio", 0), 0.5);
    style->SetStringOption("sliderStyle", "scroll");
    VString text;
    EXPECT_TRUE(style->GetStringOption("sliderStyle", text));
    EXPECT_STREQ(text.GetText(), "scroll");

    const VColour white(255, 255, 255);
    EXPECT_EQ(style->GetColourOption("colFillOn", white), white);
    style->SetColourOption("colFillOn", VColour(1, 2, 3, 4));
    EXPECT_EQ(style->GetColourOption("colFillOn", white), VColour(1, 2, 3, 4));
    EXPECT_EQ(style->GetColourOption("textOffset", white), white) << "not a colour";
    EXPECT_TRUE(style->RemoveOption("colFillOn"));
    EXPECT_EQ(style->GetColourOption("colFillOn", white), white);
}

TEST_F(CtrlStyleTest, ImageOptionsLoadTheFileByItsExtension) {
    KisTest::LogCapture log;
    auto style = MakeRef<CtrlStyle>();
    const std::string targa = WriteTarga("Up.tga");
    style->SetStringOption("imUp", targa.c_str());
    VRef<VImage> up = style->GetImageOption("imUp");
    ASSERT_TRUE(up);
    EXPECT_EQ(up->GetWidth(), 3);
    EXPECT_EQ(up->GetHeight(), 2);
    EXPECT_EQ(style->GetImageOption("imUp").Get(), up.Get()) << "loaded once";

    style->SetStringOption("imDown", KIS_SOURCE_DIR "/tests/foundation/inputs/Colour13x7.jpg");
    VRef<VImage> down = style->GetImageOption("imDown");
    ASSERT_TRUE(down);
    EXPECT_EQ(down->GetWidth(), 13);

    // Anything but a Targa or JPEG name gives none, as does a missing file.
    std::filesystem::copy_file(targa, folder / "Up.png");
    style->SetStringOption("imOver", (folder / "Up.png").string().c_str());
    EXPECT_FALSE(style->GetImageOption("imOver"));
    style->SetStringOption("imOver", (folder / "Missing.tga").string().c_str());
    EXPECT_FALSE(style->GetImageOption("imOver"));
    EXPECT_FALSE(style->GetImageOption("imNothing"));

    // A changed option is loaded again; an image object is given as it is.
    style->SetStringOption("imUp", (folder / "Missing.tga").string().c_str());
    EXPECT_FALSE(style->GetImageOption("imUp"));
    style->SetImageOption("imUp", down.Get());
    EXPECT_EQ(style->GetImageOption("imUp").Get(), down.Get());
}

TEST_F(CtrlStyleTest, OptionsAndNamedFlagsGoThroughADictionary) {
    auto style = MakeRef<CtrlStyle>(CtrlStyle::kFlagNoDefaultDrawing | 0x100);
    style->SetColourOption("colBorder", VColour(9, 8, 7));
    style->SetIntOption("textOffset", 2);
    VDictionary options;
    style->GetOptions(options);
    auto* flag = options.ObjectForKey("noDefaultDrawing");
    ASSERT_NE(flag, nullptr);
    EXPECT_TRUE(static_cast<VString*>(flag)->IsEqual("1"));
    EXPECT_TRUE(static_cast<VString*>(options.ObjectForKey("highlight"))->IsEqual("0"));

    auto copy = MakeRef<CtrlStyle>(CtrlStyle::kFlagHighlight);
    copy->SetIntOption("stale", 1);
    copy->SetOptions(options);
    EXPECT_EQ(copy->GetFlags(), CtrlStyle::kFlagNoDefaultDrawing) << "named flags follow the dictionary";
    EXPECT_EQ(copy->GetColourOption("colBorder", VColour()), VColour(9, 8, 7));
    EXPECT_EQ(copy->GetIntOption("textOffset", 0), 2);
    EXPECT_EQ(copy->GetIntOption("stale", -1), -1)
        << "a key missing from the dictionary goes back to its default";
    // The dictionary's values are copies: changing the style later leaves them alone.
    style->SetColourOption("colBorder", VColour(1, 1, 1));
    EXPECT_EQ(copy->GetColourOption("colBorder", VColour()), VColour(9, 8, 7));
}

TEST_F(CtrlStyleTest, WrittenToXMLAndReadBackIntoTheStyleList) {
    auto style = MakeRef<CtrlStyle>(CtrlStyle::kFlagHighlight | CtrlStyle::kFlagNoMouseOverEvent);
    style->SetName("nav");
    style->SetFont(VRef<VString>::Adopt(VString::Alloc("Sans Bold 12px")).Get());
    style->SetColourOption("colFillOn", VColour(10, 20, 30, 40));
    style->SetStringOption("imUp", "UpButton.tga");
    style->SetIntOption("textOffset", 3);

    VFoundation::VXMLFile out;
    out.BeginDocument("skin");
    out.WriteObject(style.Get());
    VString text;
    out.SaveText(text);
    EXPECT_NE(std::string(text.GetText()).find("flags=\"highlight|noMouseOverEvent\""), std::string::npos)
        << text.GetText();

    VFoundation::VXMLFile in;
    ASSERT_TRUE(in.LoadText(text.GetText()));
    ASSERT_TRUE(in.EnterFirstChild());
    VRef<VFoundation::VObject> read = VRef<VFoundation::VObject>::Adopt(in.ReadObject());
    ASSERT_TRUE(read);
    CtrlStyle* found = CtrlStyle::FindStyle("nav");
    ASSERT_EQ(found, read.Get()) << "a style read from a skin enters the style list";
    EXPECT_EQ(found->GetFlags(), CtrlStyle::kFlagHighlight | CtrlStyle::kFlagNoMouseOverEvent);
    ASSERT_NE(found->GetFont(), nullptr);
    EXPECT_TRUE(static_cast<VString*>(found->GetFont())->IsEqual("Sans Bold 12px"));
    EXPECT_EQ(found->GetColourOption("colFillOn", VColour()), VColour(10, 20, 30, 40));
    EXPECT_EQ(found->GetIntOption("textOffset", 0), 3);
    VString image;
    EXPECT_TRUE(found->GetStringOption("imUp", image));
    EXPECT_STREQ(image.GetText(), "UpButton.tga");
}

TEST_F(CtrlStyleTest, UnnamedFlagBitsAreWrittenAsANumber) {
    KisTest::LogCapture log;
    auto style = MakeRef<CtrlStyle>(0x101);
    VFoundation::VXMLFile out;
    out.BeginDocument("skin");
    out.WriteObject(style.Get());
    VString text;
    out.SaveText(text);
    EXPECT_NE(std::string(text.GetText()).find("flags=\"0x101\""), std::string::npos) << text.GetText();

    VFoundation::VXMLFile in;
    ASSERT_TRUE(in.LoadText("<CtrlStyle name=\"s\" flags=\"highlight | bogus\"/>"));
    auto read = MakeRef<CtrlStyle>();
    read->SerializeAsXML(in);
    EXPECT_EQ(read->GetFlags(), CtrlStyle::kFlagHighlight);
    EXPECT_TRUE(log.Contains("unknown flag 'bogus'"));
}
