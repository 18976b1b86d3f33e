#pragma once

#include <filesystem>
#include <string>

#include "archive/Exporter.h"

namespace loom {

class AppContext;

// The import dialog: its state and its OK. Copies every data file of a folder into
// FILES when the archive holds no copy as new, rewriting files saved under another
// system password with the password in force when the dialog was created and, unless
// the customer information is to be replaced, keeping the archive's address-less values.
// Fills "Kopierade" and "Ej kopierade", enters each imported file in DATA.KQI and
// reports the counts (message 58). Never asks for a password.
class Importer {
  public:
    explicit Importer(AppContext& context);

    std::string folderText;  // code page 1252
    // "Byt ut gammal kundinformation".
    bool replaceCustomerInfo = false;

    CopyRunResult ok();

  private:
    enum class Outcome { Copied, NotCopied, Skipped };

    Outcome importOne(const std::filesystem::path& from, const std::filesystem::path& to);
    bool merge(const std::filesystem::path& from, const std::filesystem::path& to,
               const std::string& templateName);
    bool plainImport(const std::filesystem::path& from, const std::filesystem::path& to,
                     const std::string& templateName, const std::string& password, bool& byteCopy);

    AppContext& context_;
    std::string systemPassword_;
};

}  // namespace loom
