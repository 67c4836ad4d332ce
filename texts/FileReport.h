// A file that could not be read or saved, in words: the one wording of the module's message
// boxes and of the workbench's lines. Storage reports values (FileStatus, FileSave,
// FileWrite); these are the words the code facing the user shows for them. Portable, so
// that the workbench shares them without linking a window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/FilePort.h"
#include "rules/RuleStore.h"

enum class FileAction : uint8_t { Open, Save };

// "<system text> (오류 코드 <code>)", "알 수 없는 오류" for a code the system has no text for.
std::u16string SystemCauseText(uint32_t code);

// The module's message: "파일을 열 수 없습니다: <path>" (or 저장할) and on the next line the
// system's cause.
std::u16string FileFailureMessage(FileAction action, const FilePath& path, uint32_t code);

// The workbench's words for a fault: ours where the fault says more than the system's text
// would ("파일이 없습니다"), and the system's text with its code wherever there is one.
std::string FileFaultWords(const FilePort& files, const FileStatus& status);

// The workbench's line: "파일을 저장할 수 없습니다: <name> (<step>: <cause>)", the name as the
// program was given it.
std::string SaveFailureLine(const FilePort& files, const FileSave& save);
std::string SaveFailureLine(const FilePort& files, const FileWrite& write);

// The workbench's line: "파일을 읽을 수 없습니다: <name> (<why>)".
std::string ReadFailureLine(const std::string& name, const std::string& why);
