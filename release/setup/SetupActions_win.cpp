// The installer's own steps (release/Quillet.wxs), in QuilletSetup.dll, which the MSI carries
// in its Binary table and never installs. The machine values RuleFolder and
// PreviewBeforeRewrite are written here and not from the Registry table, so that Windows
// Installer never owns them: no upgrade, repair or removal writes or deletes them on its own.
// - CheckProperties, before anything changes: PREVIEW only "1" or "0"; RULEFOLDER, its
//   variables expanded as the module expands them, and PLUGINDIR, absolute local or UNC
//   folders (the module's own check). Each refusal is logged with its reason and fails the
//   installation.
// - WriteGivenValues: the values of the properties given to this installation, each with a
//   record of what was written under the key's Installer subkey; a property not given
//   leaves the value as it is, whoever set it.
// - RemoveWrittenValues, at the removal (not an upgrade's): each value only while it still
//   holds what was written; a value the shop set since is kept and logged. The records go,
//   and the key itself when nothing else is left in it.
#include <windows.h>
// clang-format off
#include <msi.h>
#include <msiquery.h>
// clang-format on

#include <optional>
#include <string>
#include <vector>

#include "platform/Handles_win.h"
#include "platform/WideText_win.h"
#include "settings/Settings.h"

namespace {

struct MsiHandleTraits {
    using Type = MSIHANDLE;
    static Type Invalid() { return 0; }
    static void Close(Type handle) { MsiCloseHandle(handle); }
};
using UniqueMsiHandle = UniqueResource<MsiHandleTraits>;

// What the installer writes: the value under the machine key (of RULEFOLDER, of PREVIEW),
// and the name of the record of it under the Installer subkey.
struct WrittenValue {
    const Setting& setting;
    const wchar_t* record;
};
const WrittenValue kWrittenValues[] = {
    {kRuleFolderSetting, L"RuleFolder"},
    {kPreviewBeforeRewriteSetting, L"Preview"},
};

// The deferred WriteGivenValues sees only its CustomActionData: "RULEFOLDER|PREVIEW" as given
// (release/Quillet.wxs). A folder path holds no "|", and PREVIEW is checked before.
constexpr wchar_t kDataSeparator = L'|';

constexpr REGSAM k64BitView = KEY_WOW64_64KEY;

std::wstring MachineKey() {
    return ToWide(kSettingsKey);
}

std::wstring RecordKey() {
    return MachineKey() + L"\\Installer";
}

std::wstring PropertyOf(MSIHANDLE install, const wchar_t* name) {
    DWORD size = 0;
    wchar_t none[1] = L"";
    if (MsiGetPropertyW(install, name, none, &size) != ERROR_MORE_DATA) return {};
    std::vector<wchar_t> buffer(size + 1);
    size = static_cast<DWORD>(buffer.size());
    if (MsiGetPropertyW(install, name, buffer.data(), &size) != ERROR_SUCCESS) return {};
    return std::wstring(buffer.data(), size);
}

// One line in the installation's log ("/l*v"); an error is also shown to an interactive user.
void Tell(MSIHANDLE install, const std::wstring& text, bool error = false) {
    const UniqueMsiHandle record(MsiCreateRecord(1));
    if (!record) return;
    const std::wstring line = L"Quillet: " + text;
    MsiRecordSetStringW(record.get(), 0, line.c_str());
    const auto kind =
        error ? INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR) : INSTALLMESSAGE_INFO;
    MsiProcessMessage(install, kind, record.get());
}

std::wstring Expanded(const std::wstring& text) {
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::vector<wchar_t> buffer(needed);
    if (ExpandEnvironmentStringsW(text.c_str(), buffer.data(), needed) == 0) return text;
    return std::wstring(buffer.data());
}

const wchar_t* WhyNoFolder(RuleFolderFault fault) {
    switch (fault) {
        case RuleFolderFault::Empty:
            return L"it names no folder";
        case RuleFolderFault::Relative:
            return L"it is a relative path; give a drive path such as D:\\cam or a UNC path "
                   L"such as \\\\server\\cam";
        case RuleFolderFault::UnexpandedVariable:
            return L"it uses an environment variable that is not defined: ";
        case RuleFolderFault::NotText:
        case RuleFolderFault::None:
            break;
    }
    return L"";
}

std::wstring Refused(const wchar_t* property, const std::wstring& given) {
    return std::wstring(property) + L"=\"" + given + L"\" refused: ";
}

// The reason a given folder property is refused; nothing when it is not given or names a
// folder.
std::optional<std::wstring> FolderRefusal(const wchar_t* property, const std::wstring& given) {
    if (given.empty()) return std::nullopt;
    const RuleFolderCheck check = CheckRuleFolder(ToU16(Expanded(given)));
    if (check.fault == RuleFolderFault::None) return std::nullopt;
    return Refused(property, given) + WhyNoFolder(check.fault) + ToWide(check.variable);
}

std::optional<std::wstring> PreviewRefusal(const std::wstring& given) {
    if (given.empty() || given == L"1" || given == L"0") return std::nullopt;
    return Refused(L"PREVIEW", given) +
           L"it must be 1 (preview before every rewrite) or 0 (no preview)";
}

struct RegistryText {
    DWORD type = REG_NONE;
    std::wstring text;
};

// A value's type and, for the text types, its text as stored; nothing when there is none.
std::optional<RegistryText> ReadValue(const std::wstring& key, const std::wstring& name) {
    RegistryText value;
    DWORD size = 0;
    constexpr DWORD kFlags = RRF_RT_ANY | RRF_NOEXPAND | RRF_SUBKEY_WOW6464KEY;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), kFlags, &value.type, nullptr,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return value;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), kFlags, nullptr, buffer.data(),
                     &size) != ERROR_SUCCESS) {
        return value;
    }
    value.text = buffer.data();
    return value;
}

DWORD WrittenType(const Setting& setting) {
    return setting.type == RegistryType::ExpandableText ? REG_EXPAND_SZ : REG_SZ;
}

bool WriteValue(const std::wstring& key, const std::wstring& name, DWORD type,
                const std::wstring& text) {
    UniqueHKey opened;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | k64BitView, nullptr, opened.put(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(opened.get(), name.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

void DeleteValue(const std::wstring& key, const std::wstring& name) {
    UniqueHKey opened;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE | k64BitView,
                      opened.put()) == ERROR_SUCCESS) {
        RegDeleteValueW(opened.get(), name.c_str());
    }
}

// The key when it holds no value and no subkey: it was made for the values removed.
void DeleteKeyIfEmpty(const std::wstring& key) {
    DWORD subkeys = 0;
    DWORD values = 0;
    {
        UniqueHKey opened;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | k64BitView,
                          opened.put()) != ERROR_SUCCESS ||
            RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return;
        }
    }
    if (subkeys == 0 && values == 0)
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), k64BitView, 0);
}

void RemoveIfStillWritten(MSIHANDLE install, const WrittenValue& written) {
    const std::optional<RegistryText> record = ReadValue(RecordKey(), written.record);
    if (!record || record->type != REG_SZ) return;
    const std::wstring name = ToWide(written.setting.name);
    const std::optional<RegistryText> value = ReadValue(MachineKey(), name);
    if (!value) return;
    if (value->type == WrittenType(written.setting) && value->text == record->text) {
        DeleteValue(MachineKey(), name);
        Tell(install, L"removed " + name + L" (\"" + value->text + L"\"), which it wrote");
    } else {
        Tell(install, L"kept " + name + L" (\"" + value->text + L"\"): it was set to \"" +
                          record->text + L"\" by the installer and changed since");
    }
}

bool WriteGiven(MSIHANDLE install, const WrittenValue& written, const std::wstring& given) {
    if (given.empty()) return true;
    const std::wstring name = ToWide(written.setting.name);
    if (!WriteValue(MachineKey(), name, WrittenType(written.setting), given) ||
        !WriteValue(RecordKey(), written.record, REG_SZ, given)) {
        Tell(install, L"could not write " + name + L" under HKLM\\" + MachineKey(), true);
        return false;
    }
    Tell(install, L"wrote " + name + L" = \"" + given + L"\"");
    return true;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall CheckProperties(MSIHANDLE install) {
    const std::optional<std::wstring> refusals[] = {
        FolderRefusal(L"RULEFOLDER", PropertyOf(install, L"RULEFOLDER")),
        PreviewRefusal(PropertyOf(install, L"PREVIEW")),
        FolderRefusal(L"PLUGINDIR", PropertyOf(install, L"PLUGINDIR")),
    };
    bool refused = false;
    for (const std::optional<std::wstring>& refusal : refusals) {
        if (!refusal) continue;
        Tell(install, *refusal + L". Nothing was changed.", true);
        refused = true;
    }
    return refused ? ERROR_INSTALL_FAILURE : ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall WriteGivenValues(MSIHANDLE install) {
    const std::wstring data = PropertyOf(install, L"CustomActionData");
    const size_t separator = data.rfind(kDataSeparator);
    if (separator == std::wstring::npos) return ERROR_SUCCESS;
    const bool written = WriteGiven(install, kWrittenValues[0], data.substr(0, separator)) &&
                         WriteGiven(install, kWrittenValues[1], data.substr(separator + 1));
    return written ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}

extern "C" __declspec(dllexport) UINT __stdcall RemoveWrittenValues(MSIHANDLE install) {
    for (const WrittenValue& written : kWrittenValues) {
        RemoveIfStillWritten(install, written);
        DeleteValue(RecordKey(), written.record);
    }
    DeleteKeyIfEmpty(RecordKey());
    DeleteKeyIfEmpty(MachineKey());
    return ERROR_SUCCESS;
}
