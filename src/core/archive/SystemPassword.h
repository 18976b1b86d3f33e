#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace loom {

class AppContext;

// A file saved under `filePassword` may be used when that password is in the temporary
// list. With `mayAsk`, dialog 190 is shown (again and again) until one of its texts
// matches or it is cancelled.
bool AcceptFilePassword(AppContext& context, std::string_view filePassword, bool mayAsk);

// Told after each file of a run over the archive: files handled so far, and of how many.
using FileProgress = std::function<void(std::size_t done, std::size_t count)>;

// Rewrites every data file of FILES with `newPassword` recorded (message 77 once when
// there is any). Files under a third password are admitted through AcceptFilePassword,
// asking until the user cancels once. Each file is replaced atomically. Always true.
bool ReencipherDataFiles(AppContext& context, std::string_view newPassword,
                         std::string_view oldPassword, const FileProgress& progress = {});

// The command that changes the system password (messages 56, 43, 44, 46). True when the
// password was changed.
bool ChangeSystemPassword(AppContext& context, const FileProgress& progress = {});

}  // namespace loom
