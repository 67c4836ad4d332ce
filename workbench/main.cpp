#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "platform/SystemFilePort.h"
#include "workbench/Workbench.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    SystemFilePort files;
    return RunWorkbench(args, std::cout, std::cerr, files, isatty(STDOUT_FILENO) != 0);
}
