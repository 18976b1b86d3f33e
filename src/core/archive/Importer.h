#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "archive/CopyRun.h"
#include "fields/FieldStore.h"

namespace loom {

class AppContext;

// The import dialog: its state and its OK. Copies every data file of a folder into
// FILES when the archive holds no copy as new, rewriting files saved under another
// system password with the password in force when the dialog was created and, unless
// the customer information is to be replaced, keeping the archive's address-less values.
// Fills "Kopierade" and "Ej kopierade", enters each imported file in DATA.KQI and
// reports the counts (message 58). A file that cannot be written into the archive is
// reported (message 75 with the reason), listed as not copied and counted in `failed`.
// Never asks for a password.
class Importer {
  public:
    explicit Importer(AppContext& context);

    std::filesystem::path folder;
    // "Byt ut gammal kundinformation".
    bool replaceCustomerInfo = false;

    CopyRunResult ok();

    // Called with each file's name before it is handled, with its number (from 0) and
    // the number of files (progress).
    std::function<void(std::string_view name, std::size_t index, std::size_t count)> beforeFile;

  private:
    // Failed: a write into the archive failed, with a warning saying which and why.
    enum class Outcome { Copied, NotCopied, Failed, Skipped };

    Outcome importOne(const std::filesystem::path& from, const std::filesystem::path& to);
    Outcome merge(const std::filesystem::path& from, const std::filesystem::path& to,
                  const std::string& templateName);
    Outcome plainImport(const std::filesystem::path& from, const std::filesystem::path& to,
                        const std::string& templateName, const std::string& password,
                        bool& byteCopy);
    Outcome write(const std::filesystem::path& to, const std::string& templateName,
                  const FieldStore& values);

    AppContext& context_;
    std::string systemPassword_;
    bool indexed_ = true;  // the file handled last has its DATA.KQI line, or needs none
};

}  // namespace loom
