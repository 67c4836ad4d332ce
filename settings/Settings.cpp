#include "settings/Settings.h"

#include <iterator>
#include <string>
#include <utility>

bool SettingValue::IsText() const {
    return type == static_cast<uint32_t>(RegistryType::Text) ||
           type == static_cast<uint32_t>(RegistryType::ExpandableText);
}

const std::optional<SettingValue>& SettingValues::In(SettingRoot root) const {
    switch (root) {
        case SettingRoot::Policy:
            return policy;
        case SettingRoot::Machine:
            return machine;
        case SettingRoot::User:
            break;
    }
    return user;
}

std::optional<SettingRoot> DecidingRoot(const SettingValues& values) {
    for (const SettingRoot root : {SettingRoot::Policy, SettingRoot::Machine, SettingRoot::User}) {
        if (values.In(root)) return root;
    }
    return std::nullopt;
}

bool DecidedForEveryone(const SettingValues& values) {
    const std::optional<SettingRoot> root = DecidingRoot(values);
    return root && *root != SettingRoot::User;
}

bool IsSwitchedOn(const Setting& setting, const SettingValues& values) {
    const std::optional<SettingRoot> root = DecidingRoot(values);
    std::u16string_view text = setting.defaultText;
    if (root) {
        const SettingValue& value = *values.In(*root);
        if (value.IsText() && (value.text == u"1" || value.text == u"0")) text = value.text;
    }
    return text == u"1";
}

std::u16string_view SettingKeyOf(SettingRoot root) {
    return root == SettingRoot::Policy ? kPolicyKey : kSettingsKey;
}

std::u16string SettingFullName(SettingRoot root, const Setting& setting) {
    return std::u16string(root == SettingRoot::User ? u"HKCU\\" : u"HKLM\\") +
           std::u16string(SettingKeyOf(root)) + u"\\" + std::u16string(setting.name);
}

std::u16string DecodeRegistryText(std::span<const unsigned char> bytes) {
    std::u16string text;
    // An odd last byte is half a code unit and is dropped.
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == u'\0') break;
        text.push_back(unit);
    }
    return text;
}

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    // A value set with its quotes ("\\server\share\cam" typed with them) means what it quotes.
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

bool IsDriveRoot(std::u16string_view folder) {
    return folder.size() == 3 && folder[1] == u':' && IsSeparator(folder[2]);
}

// Final separators dropped, but a drive's root keeps its own ("C:\", since "C:" would mean
// the drive's current folder).
std::u16string FolderNamedBy(std::u16string_view value) {
    std::u16string_view folder = Trimmed(value);
    while (!folder.empty() && IsSeparator(folder.back()) && !IsDriveRoot(folder)) {
        folder.remove_suffix(1);
    }
    return std::u16string(folder);
}

RuleLocation LocationIn(RuleFolderSource source, std::u16string folder) {
    FilePath file = PathInFolder(folder, kRuleFileName);
    RuleLocation location;
    location.source = source;
    location.folder = std::move(folder);
    location.file = std::move(file);
    return location;
}

// "X:\..." or "\\server\share..." (also "\\?\..."); anything else leans on a current folder.
bool IsAbsolute(std::u16string_view folder) {
    const auto isLetter = [](char16_t c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    };
    if (folder.size() >= 3 && isLetter(folder[0]) && folder[1] == u':' && IsSeparator(folder[2])) {
        return true;
    }
    return folder.size() >= 2 && IsSeparator(folder[0]) && IsSeparator(folder[1]);
}

// The first "%NAME%" in the text, or nothing.
std::u16string_view VariableLeftIn(std::u16string_view text) {
    const size_t open = text.find(u'%');
    if (open == std::u16string_view::npos) return {};
    const size_t close = text.find(u'%', open + 1);
    if (close == std::u16string_view::npos || close == open + 1) return {};
    return text.substr(open, close - open + 1);
}

RuleLocation LocationFrom(RuleFolderSource source, const RuleFolderValue& value) {
    RuleLocation location{source, {}, {}, RuleFolderFault::None, value, {}};
    if (!value.IsText()) {
        location.fault = RuleFolderFault::NotText;
        return location;
    }
    RuleFolderCheck check = CheckRuleFolder(value.expanded);
    if (check.fault != RuleFolderFault::None) {
        location.fault = check.fault;
        location.folder = std::move(check.folder);
        location.variable = std::move(check.variable);
        return location;
    }
    RuleLocation usable = LocationIn(source, std::move(check.folder));
    usable.value = value;
    return usable;
}

RuleFolderSource SourceOf(SettingRoot root) {
    switch (root) {
        case SettingRoot::Policy:
            return RuleFolderSource::Policy;
        case SettingRoot::Machine:
            return RuleFolderSource::Machine;
        case SettingRoot::User:
            break;
    }
    return RuleFolderSource::User;
}

}  // namespace

RuleFolderCheck CheckRuleFolder(std::u16string_view expanded) {
    RuleFolderCheck check{FolderNamedBy(expanded), RuleFolderFault::None, {}};
    if (check.folder.empty()) {
        check.fault = RuleFolderFault::Empty;
    } else if (const std::u16string_view variable = VariableLeftIn(check.folder);
               !variable.empty()) {
        check.fault = RuleFolderFault::UnexpandedVariable;
        check.variable = variable;
    } else if (!IsAbsolute(check.folder)) {
        check.fault = RuleFolderFault::Relative;
    }
    return check;
}

RuleLocation ChooseRuleLocation(const RuleFolderValues& values, std::u16string_view moduleFolder) {
    const std::optional<SettingRoot> root = DecidingRoot(values);
    if (!root) return LocationIn(RuleFolderSource::ModuleFolder, std::u16string(moduleFolder));
    return LocationFrom(SourceOf(*root), *values.In(*root));
}

SettingRoot RootOf(RuleFolderSource source) {
    switch (source) {
        case RuleFolderSource::Policy:
            return SettingRoot::Policy;
        case RuleFolderSource::User:
            return SettingRoot::User;
        case RuleFolderSource::Machine:
        case RuleFolderSource::ModuleFolder:
            break;
    }
    return SettingRoot::Machine;
}

std::u16string RuleFolderSettingName(RuleFolderSource source) {
    if (source == RuleFolderSource::ModuleFolder) return {};
    return SettingFullName(RootOf(source), kRuleFolderSetting);
}

FilePath PathInFolder(std::u16string_view folder, std::u16string_view name) {
    FilePath path(folder);
    if (path.empty() || !IsSeparator(path.back())) path += u'\\';
    path += name;
    return path;
}
