// Paths of modules and files as the Windows API wants them, and the few paths the system
// names. The product's paths are UTF-16 (FilePath); they become wchar_t text only here and in
// the file port.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// The module (DLL or EXE) whose image holds the given address.
HMODULE ModuleContaining(const void* address);

// The module's full file name, however long; empty when the system cannot tell.
std::wstring ModuleFileName(HMODULE module);

// The folder of the module whose image holds the given address; empty when the system
// cannot tell.
std::u16string ModuleFolderOf(const void* address);

// The path cut before its last backslash; empty when it has none.
std::u16string FolderOf(std::u16string_view path);

// The path in the extended-length form (\\?\) when it is too long for the plain file API.
std::wstring ForFileApi(std::wstring_view path);

// When the file was last written, in local time; nullopt when that cannot be read.
std::optional<SYSTEMTIME> LastWriteLocalTime(std::u16string_view path);

// "<the user's local application data folder>\<name>", created if missing unless `create` is
// false; empty when the system does not say where that folder is or the folder cannot be made.
std::u16string LocalAppDataFolder(std::u16string_view name, bool create = true);
