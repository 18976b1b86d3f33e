#pragma once

#include <memory>
#include <string>

#include "CliCommand.h"
#include "OverlaySettingsStore.h"
#include "ProgressPrinter.h"
#include "PromPrompt.h"
#include "document/PromDocument.h"
#include "transfer/MarshalledPrompt.h"
#include "transfer/UiThread.h"

namespace loom::cli {

class CliSession;

// How a PROM command reaches the panel, as typed.
struct LinkOptions {
    std::string tcp;  // HOST:PORT
    std::string serial;
    std::string modem;
    std::string phone;
    std::string id;
};

// Adds --tcp, --serial, --modem, --phone and --id to a command.
void addLinkOptions(CLI::App& command, LinkOptions& options);
// Exactly one way to the panel with what it needs; a usage error is reported otherwise.
bool checkLinkOptions(CliContext& ctx, const LinkOptions& options);

// One PROM command's document and the machinery around it: the main thread is the user's
// thread, draining a task queue while the worker transfers; the worker's questions are
// marshalled to it, and progress goes to stderr. Set LOOMCRAFT_LINK_TIMING=fast to run
// the link's waits fast (for tests against a simulated panel; the panel itself needs the
// real timing).
class PromRun {
  public:
    PromRun(CliContext& ctx, CliSession& session, PromAnswers answers);
    ~PromRun();
    PromRun(const PromRun&) = delete;
    PromRun& operator=(const PromRun&) = delete;

    PromDocument& document() { return *document_; }
    AppContext& app() { return app_; }
    const ProgressPrinter& progress() const { return progress_; }
    const PromPrompt& prompt() const { return prompt_; }

    // Opens the connection the options name (exit code set on failure).
    bool connect(const LinkOptions& options);
    // Runs the transfer that `started` began until the document has completed it; Ctrl-C
    // cancels it. True when it completed with success.
    bool transfer(bool started);
    // Ctrl-C came during a transfer.
    bool interrupted() const { return interrupted_; }
    void disconnect();

  private:
    CliContext& ctx_;
    CliSession& session_;
    AppContext& app_;
    OverlaySettingsStore settings_;
    TaskQueue queue_;
    ProgressPrinter progress_;
    PromPrompt prompt_;
    MarshalledPrompt marshalled_;
    std::unique_ptr<PromDocument> document_;
    bool interrupted_ = false;
};

}  // namespace loom::cli
