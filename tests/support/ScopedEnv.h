#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace loom::test {

// Sets (or removes) an environment variable for the lifetime of the object, then restores
// it.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    // A null `value` removes the variable.
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace loom::test
