#pragma once

class QWidget;

namespace loom {

class AppContext;

// The frame's commands of the menus "Säkerhet" and "Inställningar" that open dialogs over
// the archive. Each runs the core's command with the program's dialogs over `parent`.

// 32804 "Personligt lösen...": dialog 138 for the current user. True when changed.
bool runChangePersonalPassword(AppContext& context, QWidget* parent);
// 32805 "Användare...": dialog 172 with the current user's password, then dialog 171.
// True when the users were saved.
bool runEditUsers(AppContext& context, QWidget* parent);
// 32802 "Systemlösen...": message 56, dialog 138 as "Systemlösen", then the new password
// in LOGIN.KEY and every data file re-enciphered under a progress dialog. True when the
// password was changed.
bool runChangeSystemPassword(AppContext& context, QWidget* parent);
// 32807 "Datorns ID...": dialog 136; the letter is stored in the settings. True on OK.
bool runEditComputerId(AppContext& context, QWidget* parent);
// 32800 "Skapa index": message 39, then the rebuild under a wait cursor (message 40 when
// it fails). True when the index was rebuilt.
bool runRebuildIndex(AppContext& context, QWidget* parent);

}  // namespace loom
