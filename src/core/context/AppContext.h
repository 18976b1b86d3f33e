#pragma once

#include <string>

#include "archive/SearchResults.h"
#include "archive/TemporaryPasswordList.h"
#include "conversion/ConversionList.h"
#include "datafile/LabelTable.h"
#include "link/PromLink.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramDirectory.h"
#include "platform/SettingsStore.h"
#include "platform/UserPrompt.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"

namespace loom {

// The logged-in user: the name and password typed at login that matched a user record.
struct CurrentUser {
    std::string name;
    std::string password;
};

// The process-wide state of one running program (or CLI invocation), held in one place
// rather than in globals so that tests can run several side by side. The outside world
// (prompt, dialogs, settings, files, clock, program directory) is borrowed and can be
// replaced; the defaults talk to nobody, keep settings in memory and use the local disk
// below the current directory.
class AppContext {
  public:
    explicit AppContext(UserPrompt& prompt) : prompt_(&prompt) {}
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    UserPrompt& prompt() { return *prompt_; }
    void setPrompt(UserPrompt& prompt) { prompt_ = &prompt; }
    Dialogs& dialogs() { return *dialogs_; }
    void setDialogs(Dialogs& dialogs) { dialogs_ = &dialogs; }
    SettingsStore& settings() { return *settings_; }
    void setSettings(SettingsStore& settings) { settings_ = &settings; }
    FileSystem& files() { return *files_; }
    void setFileSystem(FileSystem& files) { files_ = &files; }
    const Clock& clock() const { return *clock_; }
    void setClock(const Clock& clock) { clock_ = &clock; }
    const ProgramDirectory& programDirectory() const { return programDirectory_; }
    void setProgramDirectory(ProgramDirectory directory) {
        programDirectory_ = std::move(directory);
    }

    // Rule set of the loaded template; each template load replaces it.
    FormRules& rules() { return rules_; }
    // Event texts and event names of the loaded template; each load replaces them.
    EventTexts& eventTexts() { return eventTexts_; }
    // Names of numbered panel items from the last data file read.
    LabelTable& labels() { return labels_; }
    // Conversions between product models, loaded at start-up.
    ConversionList& conversions() { return conversions_; }

    CurrentUser& currentUser() { return currentUser_; }
    const std::string& systemPassword() const { return systemPassword_; }
    void setSystemPassword(std::string password) { systemPassword_ = std::move(password); }
    TemporaryPasswordList& temporaryPasswords() { return temporaryPasswords_; }
    // The search dialog's three result lists, also filled by export and import.
    SearchResults& searchResults() { return searchResults_; }
    // The one connection to the panel.
    PromLink& link() { return link_; }

  private:
    UserPrompt* prompt_;
    NoDialogs noDialogs_;
    Dialogs* dialogs_ = &noDialogs_;
    MemorySettingsStore memorySettings_;
    SettingsStore* settings_ = &memorySettings_;
    LocalFileSystem localFiles_;
    FileSystem* files_ = &localFiles_;
    SystemClock systemClock_;
    const Clock* clock_ = &systemClock_;
    ProgramDirectory programDirectory_;

    FormRules rules_;
    EventTexts eventTexts_;
    LabelTable labels_;
    ConversionList conversions_;
    CurrentUser currentUser_;
    std::string systemPassword_;
    TemporaryPasswordList temporaryPasswords_;
    SearchResults searchResults_;
    // Last: it keeps a reference to this context.
    PromLink link_{*this};
};

}  // namespace loom
