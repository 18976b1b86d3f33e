#include <iostream>

#include "CliCommand.h"

int main(int argc, char** argv) {
    return loom::cli::runCli(argc, argv, std::cout, std::cerr);
}
