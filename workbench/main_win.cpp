// quillet-rules.exe: the arguments arrive as UTF-16 and are passed on as UTF-8; what the
// program prints is UTF-8, written as bytes so that CSV line ends stay CR LF.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/FilePaths_win.h"
#include "platform/SystemFilePort.h"
#include "platform/TextEncoding.h"
#include "rules/RuleFolder.h"
#include "settings/SeatPlaces_win.h"
#include "workbench/Workbench.h"

namespace {

// The console shows UTF-8 while the program runs; the console is shared with the shell
// that started it, so its code page is put back afterwards.
class ConsoleUtf8 {
public:
    ConsoleUtf8() : previous_(GetConsoleOutputCP()) {
        if (previous_ != 0) SetConsoleOutputCP(CP_UTF8);
    }
    ConsoleUtf8(const ConsoleUtf8&) = delete;
    ConsoleUtf8& operator=(const ConsoleUtf8&) = delete;
    ~ConsoleUtf8() {
        if (previous_ != 0) SetConsoleOutputCP(previous_);
    }

private:
    UINT previous_;
};

// Any object of the program: it is installed beside the module, so its own folder is the
// module's.
const char programAnchor = 0;

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const ConsoleUtf8 console;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view arg(argv[i]);
        args.push_back(
            Utf8FromUtf16(std::u16string(arg.begin(), arg.end()), SurrogateForm::ThreeBytes));
    }
    SystemFilePort files;
    Seat seat;
    // Only looked at: where tells what is there and makes nothing.
    SeatPlaces places = ReadSeatPlaces(ModuleFolderOf(&programAnchor));
    seat.values = std::move(places.values);
    seat.moduleFolder = std::move(places.moduleFolder);
    seat.location = std::move(places.location);
    seat.copyFolder = std::move(places.ownFolder);
    const int status =
        RunWorkbench(args, std::cout, std::cerr, files, _isatty(_fileno(stdout)) != 0, &seat);
    std::cout.flush();
    std::cerr.flush();
    return status;
}
