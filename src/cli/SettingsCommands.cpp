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
    if (!definition) {
        ctx.err << "error: no setting named " << name << " (see settings list)\n";
        ctx.exitCode = kExitUsage;
    }
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

void setSetting(CliContext& ctx, const std::string& name, const std::string& value) {
    const SettingDefinition* definition = knownSetting(ctx, name);
    if (!definition) return;
    CliSession session(ctx);
    Settings settings(session.app().settings());
    bool ok = false;
    if (definition->isInteger) {
        std::uint64_t number = 0;
        if (!parseNumber(value, number) || number > 0x7FFFFFFFu) {
            ctx.err << "error: " << name << " takes a whole number\n";
            ctx.exitCode = kExitUsage;
            return;
        }
        ok = settings.setInteger(name, static_cast<int>(number));
    } else {
        std::string text;
        if (!toCp1252(value, text)) {
            ctx.err << "error: the value has characters outside code page 1252\n";
            ctx.exitCode = kExitUsage;
            return;
        }
        ok = settings.setText(name, text);
    }
    if (!ok) {
        ctx.err << "error: the setting could not be written\n";
        ctx.exitCode = kExitRefused;
    }
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
    CLI::App* set = settings->add_subcommand("set", "Change one setting");
    set->add_option("name", pair->first, "Setting name")->required();
    set->add_option("value", pair->second, "New value")->required();
    set->callback([&ctx, pair] { setSetting(ctx, pair->first, pair->second); });
}

}  // namespace loom::cli
