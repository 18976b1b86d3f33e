#pragma once

#include <string_view>

namespace loom {

class AppContext;

// The logic of the login dialog (169). The dialog calls these and only displays.
class LoginController {
  public:
    explicit LoginController(AppContext& context) : context_(context) {}

    // Opening: reads the system password, or offers to create a new password file.
    // False: the dialog closes with "Avbryt" (and the program ends).
    bool open();
    // OK: stores the typed pair as the current user and checks it (message 43 when it
    // does not match). True: the dialog ends with OK.
    bool ok(std::string_view name, std::string_view password);
    // "Användare...": the system password prompt (once per login), then the users dialog.
    void users();

    // Creation of a new password file (messages 49, 46, 47). True when it was created.
    bool createPasswordFile();

    // The password file was created, or the users check passed, during this login.
    bool checkPassed() const { return checkPassed_; }

  private:
    AppContext& context_;
    bool checkPassed_ = false;
};

}  // namespace loom
