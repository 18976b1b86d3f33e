#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <iostream>

namespace loom::test {

// Standard input from /dev/null for the object's lifetime: nobody answers at a terminal.
class NoTerminal {
  public:
    NoTerminal() : saved_(::dup(STDIN_FILENO)) {
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, STDIN_FILENO);
        ::close(null);
    }
    ~NoTerminal() {
        ::dup2(saved_, STDIN_FILENO);
        ::close(saved_);
        std::cin.clear();
    }
    NoTerminal(const NoTerminal&) = delete;
    NoTerminal& operator=(const NoTerminal&) = delete;

  private:
    int saved_;
};

}  // namespace loom::test
