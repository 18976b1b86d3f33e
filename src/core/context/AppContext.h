#pragma once

#include <string>

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramDirectory.h"
#include "platform/SettingsStore.h"
#include "platform/UserPrompt.h"

namespace loom {

// Owned by the composition root (ProgramState); the context only refers to them.
class ConversionList;
class EventTexts;
class FormRules;
class LabelTable;
class PromLink;
class SearchResults;
class TemporaryPasswordList;

// The logged-in user: the name and password typed at login that matched a user record.
struct CurrentUser {
    std::string name;
    std::string password;
};

// What nearly every layer may reach of one running program (or CLI invocation), in one
// place rather than in globals so that tests can run several side by side: the platform
// services and references to the process-wide state. The services (prompt, dialogs,
// settings, files, clock, program directory) are borrowed and can be replaced; the defaults
// talk to nobody, keep settings in memory and use the local disk below the current
// directory. The state's objects belong to the composition root and outlive the context.
class AppContext {
  public:
    struct State {
        FormRules& rules;
        EventTexts& eventTexts;
        LabelTable& labels;
        ConversionList& conversions;
        TemporaryPasswordList& temporaryPasswords;
        SearchResults& searchResults;
        PromLink& link;
    };

    AppContext(UserPrompt& prompt, const State& state);
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
    FormRules& rules() { return state_.rules; }
    // Event texts and event names of the loaded template; each load replaces them.
    EventTexts& eventTexts() { return state_.eventTexts; }
    // Names of numbered panel items from the last data file read.
    LabelTable& labels() { return state_.labels; }
    // Conversions between product models, loaded at start-up.
    ConversionList& conversions() { return state_.conversions; }

    CurrentUser& currentUser() { return currentUser_; }
    const std::string& systemPassword() const { return systemPassword_; }
    void setSystemPassword(std::string password) { systemPassword_ = std::move(password); }
    TemporaryPasswordList& temporaryPasswords() { return state_.temporaryPasswords; }
    // The search dialog's three result lists, also filled by export and import.
    SearchResults& searchResults() { return state_.searchResults; }
    // The one connection to the panel.
    PromLink& link() { return state_.link; }

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
    State state_;
    CurrentUser currentUser_;
    std::string systemPassword_;
};

}  // namespace loom
