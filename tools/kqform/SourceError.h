#pragma once

#include <stdexcept>
#include <string>

namespace loom::kqform {

// A fault in a template source, with the 1-based line it was found on.
class SourceError : public std::runtime_error {
  public:
    SourceError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
    int line() const { return line_; }

  private:
    int line_;
};

}  // namespace loom::kqform
