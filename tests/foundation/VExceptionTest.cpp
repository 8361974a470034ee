#include "foundation/VException.h"
#include "foundation/VFoundation.h"
#include "foundation/VString.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace VFoundation;

TEST(VException, DescriptionNamesIdSourceAndText) {
    VException plain(0, nullptr, "Script line is empty");
    VString description;
    plain.GetDescription(description);
    EXPECT_STREQ(description.GetText(), "Exception id: 0 src: Unknown descr: Script line is empty");

    VString source("x");
    VException withSource(7, &source, "bad");
    withSource.GetDescription(description);
    EXPECT_STREQ(description.GetText(), "Exception id: 7 src: VString descr: bad");
}

TEST(VException, IsThrownByValueAndSetsTheRaisedFlag) {
    VException::SetRaised(false);
    try {
        throw VException(3, nullptr, "thrown");
    } catch (const VException& caught) {
        EXPECT_EQ(caught.GetId(), 3);
        EXPECT_STREQ(caught.GetDescriptionText().GetText(), "thrown");
    }
    EXPECT_TRUE(VException::WasRaised());
}

namespace {
std::string g_alerted;
int RecordAlert(const char* text) {
    g_alerted = text;
    return 1;
}
} // namespace

TEST(Alert, GoesToTheInstalledHandlerWithTheFormattedText) {
    AlertHandler previous = SetAlertHandler(&RecordAlert);
    EXPECT_EQ(Alert("Error creating a ctrl of class %s from XML skin definition", "CtrlKnob"), 1);
    EXPECT_EQ(g_alerted, "Error creating a ctrl of class CtrlKnob from XML skin definition");
    const std::string big(3000, 'z');
    Alert("%s", big.c_str());
    EXPECT_EQ(g_alerted.size(), 1023u);
    SetAlertHandler(previous);
}
