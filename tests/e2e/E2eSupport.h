// Helpers shared by the end-to-end tests: private folders (also with very long paths), file
// bytes, UTF-16LE rule files and child processes with bounded waits.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Handles_win.h"

using Bytes = std::vector<unsigned char>;

// A new empty folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    // Nested sub-folders make the full path at least minimumPathLength characters long.
    explicit TempFolder(size_t minimumPathLength = 0);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring File(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }

private:
    std::wstring top_;  // the folder made in the temporary folder
    std::wstring path_;
};

// Paths are passed through the extended-length form when they are long.
Bytes ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const Bytes& bytes);
bool FileExists(const std::wstring& path);
std::vector<std::wstring> FileNamesIn(const std::wstring& folder);

// UTF-16LE code units of the text, after the byte-order mark FF FE when bom is set.
Bytes Utf16Le(std::u16string_view text, bool bom = true);

// A program started with the arguments, its standard output and error going to outputFile
// when one is named; killed when the object goes while it still runs.
class ChildProcess {
public:
    ChildProcess(const std::wstring& program, const std::wstring& arguments,
                 const std::wstring& outputFile = {});
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    DWORD id() const { return id_; }
    // The exit code after at most timeoutMs, or -1 when it did not start or had to be killed.
    long Wait(DWORD timeoutMs = 10000);
    void Kill();

private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

// Runs the program with the arguments and waits at most timeoutMs. Returns its exit code,
// or -1 when it could not start or had to be killed.
long RunProcess(const std::wstring& program, const std::wstring& arguments,
                DWORD timeoutMs = 10000);

std::wstring ThisProgram();

// Wine loads its display driver on a process's first window operation, under the loader
// lock. A watcher thread doing that while the main thread loads a module whose imports
// register window classes (comctl32) deadlocks both. Constructing this on the main thread
// before any watcher starts loads the driver up front.
struct DisplayDriverLoaded {
    DisplayDriverLoaded();
};
