#include <iostream>
#include <string>
#include <vector>

#include "KqformCli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return loom::kqform::runKqform(args, std::cout, std::cerr);
}
