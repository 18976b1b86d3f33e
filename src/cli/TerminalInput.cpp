#include "TerminalInput.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace loom::cli {
namespace {

#ifndef _WIN32
// Switches echo off for its lifetime and restores the terminal however the read ends.
class EchoOff {
  public:
    EchoOff() {
        if (::tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (active_) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
    bool active() const { return active_; }

  private:
    termios saved_{};
    bool active_ = false;
};
#endif

}  // namespace

bool standardInputIsTerminal() {
#ifdef _WIN32
    return ::_isatty(::_fileno(stdin)) != 0;
#else
    return ::isatty(STDIN_FILENO) != 0;
#endif
}

bool isTerminalStderr(const std::ostream& err) {
#ifdef _WIN32
    return &err == &std::cerr && ::_isatty(::_fileno(stderr)) != 0;
#else
    return &err == &std::cerr && ::isatty(STDERR_FILENO) != 0;
#endif
}

std::optional<std::string> readLine(std::string_view prompt, bool hidden) {
    std::cerr << prompt << std::flush;
    std::string line;
    bool got = false;
#ifndef _WIN32
    if (hidden && standardInputIsTerminal()) {
        EchoOff quiet;
        got = static_cast<bool>(std::getline(std::cin, line));
        if (quiet.active()) std::cerr << '\n';
    } else {
        got = static_cast<bool>(std::getline(std::cin, line));
    }
#else
    (void)hidden;
    got = static_cast<bool>(std::getline(std::cin, line));
#endif
    if (!got) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace loom::cli
