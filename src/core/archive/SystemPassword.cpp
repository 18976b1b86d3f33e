#include "archive/SystemPassword.h"

#include <optional>
#include <string>
#include <vector>

#include "archive/PasswordChecks.h"
#include "archive/PasswordFile.h"
#include "archive/SystemSave.h"
#include "archive/TemporaryPasswordList.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"

namespace loom {

bool AcceptFilePassword(AppContext& context, std::string_view filePassword, bool mayAsk) {
    TemporaryPasswordList& known = context.temporaryPasswords();
    for (;;) {
        if (known.contains(filePassword)) return true;
        if (!mayAsk) return false;
        const auto typed = context.dialogs().temporaryPasswords();
        if (!typed) return false;
        for (const std::string& text : *typed)
            known.add(text);
    }
}

namespace {

void reencipherOne(AppContext& context, DataFile& file, const std::filesystem::path& path,
                   std::string_view newPassword, std::string_view oldPassword, bool& mayAsk) {
    std::string templateName;
    std::string stored;
    if (!file.ReadHeader(path, templateName, stored, false)) return;
    if (stored != newPassword && stored != oldPassword &&
        !AcceptFilePassword(context, stored, mayAsk)) {
        mayAsk = false;
        return;
    }
    if (!file.Read(path, false)) return;
    // The write goes through a temporary file and a rename: a failure or a crash leaves
    // this file whole under its old password.
    SaveSystem(context, path, templateName, newPassword, file.Store(), false);
}

}  // namespace

bool ReencipherDataFiles(AppContext& context, std::string_view newPassword,
                         std::string_view oldPassword, const FileProgress& progress) {
    const std::filesystem::path folder = context.programDirectory().folder(ProgramFolder::Files);
    const std::vector<std::string> names =
        context.files().list(folder, ProgramDirectory::kDataExtension);
    if (names.empty()) return true;
    context.prompt().show(MessageId::Reencipher, {}, MessageKind::Information);

    // Once the user cancels dialog 190, later files are admitted only by passwords
    // already typed.
    bool mayAsk = true;
    DataFile file(context);
    for (std::size_t i = 0; i < names.size(); ++i) {
        reencipherOne(context, file, folder / std::filesystem::path(names[i]), newPassword,
                      oldPassword, mayAsk);
        if (progress) progress(i + 1, names.size());
    }
    return true;
}

bool ChangeSystemPassword(AppContext& context, const FileProgress& progress) {
    UserPrompt& prompt = context.prompt();
    if (prompt.ask(MessageId::ConfirmSystemPasswordChange, Buttons::YesNo, MessageKind::Question) !=
        Answer::Yes)
        return false;
    const std::optional<std::string> password =
        askSystemPassword(context, context.systemPassword(), true);
    if (!password) return false;
    if (!PasswordFile(context).WriteSystemPassword(*password))
        prompt.show(MessageId::PasswordFileNotCreated, {}, MessageKind::Warning);
    const std::string old = context.systemPassword();
    ReencipherDataFiles(context, *password, old, progress);
    context.setSystemPassword(*password);
    return true;
}

}  // namespace loom
