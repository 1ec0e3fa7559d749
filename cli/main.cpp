#include "cli/commands.h"

#include <iostream>

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return cli::Run(arguments, std::cin, std::cout, std::cerr);
}
