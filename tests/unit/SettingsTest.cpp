#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// The names the installer, the policy template and the help give the values.
TEST(Settings, FullNamesAreTheRootTheKeyAndTheValue) {
    EXPECT_EQ(SettingFullName(SettingRoot::Machine, kRuleFolderSetting),
              u"HKLM\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\RuleFolder");
    EXPECT_EQ(SettingFullName(SettingRoot::User, kRememberedEditorValues[0]),
              u"HKCU\\SOFTWARE\\Ferrimount\\KEP\\Quillet\\isDisplay");
    EXPECT_EQ(SettingFullName(SettingRoot::Policy, kPreviewBeforeRewriteSetting),
              u"HKLM\\SOFTWARE\\Policies\\Ferrimount\\KEP\\Quillet\\PreviewBeforeRewrite");
}

// A policy's value decides over the machine's and the user's, whatever it holds, and decides
// for everyone; without it the machine's, then the user's decides again.
TEST(Settings, PolicyDecidesOverMachineAndUserAndItsRemovalGivesThemBack) {
    const SettingValue on = SettingValue::Text(u"1");
    const SettingValue off = SettingValue::Text(u"0");
    SettingValues values{off, on, on};
    EXPECT_EQ(DecidingRoot(values), SettingRoot::Policy);
    EXPECT_TRUE(IsSwitchedOn(kPreviewBeforeRewriteSetting, values));
    EXPECT_TRUE(DecidedForEveryone(values));
    values.policy = SettingValue{4, {}, {}};  // a REG_DWORD policy still decides: the default
    EXPECT_EQ(DecidingRoot(values), SettingRoot::Policy);
    EXPECT_FALSE(IsSwitchedOn(kPreviewBeforeRewriteSetting, values));

    // Which value decides then, and how it reads, MachineValueDecidesAndASwitchTakesOnlyOneOrZero
    // tells for these same values.
    values.policy.reset();
    EXPECT_TRUE(DecidedForEveryone(values));
    values.machine.reset();
    EXPECT_FALSE(DecidedForEveryone(values));
    EXPECT_FALSE(DecidedForEveryone({}));
}

// The machine's value decides whatever it holds; a switch reads only "1" and "0", else its
// default.
TEST(Settings, MachineValueDecidesAndASwitchTakesOnlyOneOrZero) {
    const SettingValue dword{4, {}, {}};
    const struct {
        std::optional<SettingValue> machine, user;
        std::optional<SettingRoot> deciding;
        bool on;
    } cases[] = {
        {std::nullopt, std::nullopt, std::nullopt, false},
        {std::nullopt, SettingValue::Text(u"1"), SettingRoot::User, true},
        {SettingValue::Text(u"0"), SettingValue::Text(u"1"), SettingRoot::Machine, false},
        {SettingValue::Text(u"1"), SettingValue::Text(u"0"), SettingRoot::Machine, true},
        {SettingValue::Text(u"yes"), SettingValue::Text(u"1"), SettingRoot::Machine, false},
        {SettingValue::Text(u" 1"), std::nullopt, SettingRoot::Machine, false},
        {dword, SettingValue::Text(u"1"), SettingRoot::Machine, false},
    };
    for (const auto& c : cases) {
        const SettingValues values{c.machine, c.user};
        EXPECT_EQ(DecidingRoot(values), c.deciding);
        EXPECT_EQ(IsSwitchedOn(kPreviewBeforeRewriteSetting, values), c.on);
    }
}

std::vector<unsigned char> Utf16Bytes(std::u16string_view text) {
    std::vector<unsigned char> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
        bytes.push_back(static_cast<unsigned char>(unit >> 8));
    }
    return bytes;
}

TEST(Settings, RegistryDataIsReadUpToTheFirstNullWithinTheBytesRead) {
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        std::u16string expected;
    };
    std::vector<unsigned char> oddWithNull = Utf16Bytes(u"a");
    oddWithNull.push_back(0x62);  // half of a second unit
    std::vector<unsigned char> oddNoNull = Utf16Bytes(u"ab");
    oddNoNull.push_back(0x63);
    const Case cases[] = {
        {"terminated", Utf16Bytes(std::u16string(u"8.5\0", 4)), u"8.5"},
        {"no null", Utf16Bytes(u"8.99"), u"8.99"},
        {"empty data", {}, u""},
        {"null alone", {0, 0}, u""},
        {"one byte", {0x41}, u""},
        {"odd count after a whole unit", oddWithNull, u"a"},
        {"odd count, no null", oddNoNull, u"ab"},
        {"text after the null is ignored",
         Utf16Bytes(std::u16string(u"12\0"
                                   u"34",
                                   5)),
         u"12"},
        {"Hangul, little-endian", Utf16Bytes(u"적용"), u"적용"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeRegistryText(c.bytes), c.expected) << c.what;
    }
}

TEST(Settings, FullBufferWithoutNullGivesItsWholeUnits) {
    // The most a read can deliver: 255 bytes, none of them a null unit.
    const std::vector<unsigned char> bytes(kRememberedValueMaxBytes, 0x31);
    const std::u16string text = DecodeRegistryText(bytes);
    EXPECT_EQ(text.size(), 127u);
    EXPECT_EQ(text, std::u16string(127, u'\x3131'));
}

}  // namespace
