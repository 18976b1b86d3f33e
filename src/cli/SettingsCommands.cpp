#include <memory>
#include <string>

#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "common/Cp1252.h"
#include "platform/Settings.h"

namespace loom::cli {
namespace {

const SettingDefinition* knownSetting(CliContext& ctx, const std::string& name) {
    const SettingDefinition* definition = findSetting(name);
    if (!definition)
        refuse(ctx, "det finns ingen inställning som heter " + name + " (se settings list)",
               kExitUsage);
    return definition;
}

void listSettings(CliContext& ctx) {
    CliSession session(ctx);
    Settings settings(session.app().settings());
    for (const SettingDefinition& d : settingDefinitions())
        ctx.out << d.name << '\t' << cp1252ToUtf8(settings.text(d.name)) << '\n';
}

void getSetting(CliContext& ctx, const std::string& name) {
    if (!knownSetting(ctx, name)) return;
    CliSession session(ctx);
    ctx.out << cp1252ToUtf8(Settings(session.app().settings()).text(name)) << '\n';
}

// The value is checked as the setting's dialog checks it; a refused one writes nothing.
void setSetting(CliContext& ctx, const std::string& name, const std::string& value) {
    if (!knownSetting(ctx, name)) return;
    std::string text;
    if (!toCp1252(value, text)) {
        refuse(ctx, "värdet har tecken utanför teckentabellen 1252", kExitUsage);
        return;
    }
    const SettingCheck check = checkSettingValue(name, text);
    if (!check.stored) {
        refuse(ctx, cp1252ToUtf8(check.refusal));
        return;
    }
    CliSession session(ctx);
    if (!Settings(session.app().settings()).setText(name, *check.stored))
        refuse(ctx, "inställningen kunde inte sparas");
}

}  // namespace

void registerSettingsCommands(CLI::App& app, CliContext& ctx) {
    CLI::App* settings = app.add_subcommand("settings", "The user's program settings");
    settings->require_subcommand(1);
    settings->add_subcommand("list", "Every setting and its value (the default when unset)")
        ->callback([&ctx] { listSettings(ctx); });

    auto name = std::make_shared<std::string>();
    CLI::App* get = settings->add_subcommand("get", "Print one setting's value");
    get->add_option("name", *name, "Setting name, e.g. ComputerID")->required();
    get->callback([&ctx, name] { getSetting(ctx, *name); });

    auto pair = std::make_shared<std::pair<std::string, std::string>>();
    CLI::App* set = settings->add_subcommand(
        "set", "Change one setting; a value the setting does not take is refused");
    set->add_option("name", pair->first, "Setting name")->required();
    set->add_option("value", pair->second, "New value")->required();
    set->callback([&ctx, pair] { setSetting(ctx, pair->first, pair->second); });
}

}  // namespace loom::cli
