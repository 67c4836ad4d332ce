#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "workbench/Workbench.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunWorkbench(args, std::cout, std::cerr, isatty(STDOUT_FILENO) != 0);
}
