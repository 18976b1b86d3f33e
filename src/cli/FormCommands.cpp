#include <memory>
#include <string>

#include "CliCommand.h"
#include "CliSession.h"
#include "FieldListing.h"
#include "FormJson.h"
#include "FormListing.h"
#include "FormLoading.h"
#include "template/EventTexts.h"

namespace loom::cli {
namespace {

constexpr const char* kShowFooter = R"(Output (--json): one object with the keys
  name, title          texts
  idAddress, productAddress
                       numbers, -1 when the template sets none
  noErase              true when writing to the panel skips the erase
  help                 help file name as stored, null when none
  pages                [{name, controls}] in file order; option buttons and groups are
                       listed where they stand in the file. A control is
                       {kind, caption, number, flags, rect, field, ...}:
                       kind: label frame button checkbox edit choice option group picture;
                       number: control number, null when the control has none;
                       rect: [x, y, w, h] in dialog units as stored, null for groups;
                       field: {address, size, type, flags, default} for checkbox, edit,
                       choice and group (a field shared by several controls shows the
                       values of its last descriptor, as loaded);
                       checkbox adds on, off; edit adds filter (null: none), maxChars,
                       minChars, maxValue, minValue (null: absent); choice adds
                       valueList; option adds value and group (the group's number)
  valueLists           [[[shown, stored], ...], ...]
  captions             [[text, count of data controls before it], ...]
  rules                as stored, rules without actions included:
                       [{condition, trigger, argument, actions: [{code, target, argument}]}]
                       control numbers are numbers, texts strings, a page {"page": n},
                       an operand the code does not have is null (condition 59: trigger
                       null, argument the signal name; actions 71, 72: target null,
                       argument the text; 73, 74: target null, argument {"page": n})
  events               {"<event code>": [[tag, text], ...]}
  tree                 the nesting below the root: [{group, children} | {page: n}], n being
                       the index into pages
Rectangles in the listing are also shown in pixels for base units 8 x 16.
Exit codes: 0 shown, 1 template refused (its messages on stderr), 2 usage.)";

struct ShowOptions {
    std::string file;
    bool json = false;
};

void showForm(CliContext& ctx, const ShowOptions& o) {
    CliSession session(ctx);
    std::unique_ptr<LoadedForm> loaded = loadTemplateFor(ctx, session.app(), o.file);
    if (!loaded) return;
    const EventTexts& events = session.app().eventTexts();
    if (o.json) {
        ctx.out << formToJson(*loaded->form, events, loaded->tree).dump(2) << '\n';
    } else {
        writeFormListing(ctx.out, *loaded->form, events, loaded->tree);
    }
}

void listFields(CliContext& ctx, const ShowOptions& o) {
    CliSession session(ctx);
    std::unique_ptr<LoadedForm> loaded = loadTemplateFor(ctx, session.app(), o.file);
    if (!loaded) return;
    if (o.json) {
        ctx.out << fieldsToJson(*loaded->form).dump(2) << '\n';
    } else {
        writeFieldListing(ctx.out, *loaded->form);
    }
}

constexpr const char* kFieldsFooter =
    R"(Output: one line per field that a control shows, in template order, TAB-separated:
  address (0x and 8 hexadecimal digits, as data show and data set take it), page, caption
  (the template's caption of the control, else its own text, else the label nearest to its
  left), control (checkbox edit choice group), value type, size in bits, and the checks a
  value must pass, in words.
--json: [{address, page, caption, control, type, size, default, ...}] with, for edit:
  filter (null: none), maxChars, minChars, maxValue, minValue (null: absent); choice:
  values [[shown, stored], ...]; checkbox: on, off; group: options [{value, caption}].)";

}  // namespace

void registerFormCommands(CLI::App& app, CliContext& ctx) {
    CLI::App* form = app.add_subcommand("form", "Templates (.FRM)");
    form->require_subcommand(1);
    auto options = std::make_shared<ShowOptions>();
    CLI::App* show = form->add_subcommand("show", "Show everything a compiled template holds");
    show->add_option("FILE", options->file, kTemplateHelp)->required();
    show->add_flag("--json", options->json, "One JSON object instead of the listing");
    show->footer(kShowFooter);
    show->callback([&ctx, options] { showForm(ctx, *options); });

    auto fieldOptions = std::make_shared<ShowOptions>();
    CLI::App* fields = form->add_subcommand(
        "fields", "List every field of a template with its page, caption, type, size and limits");
    fields->add_option("FILE", fieldOptions->file, kTemplateHelp)->required();
    fields->add_flag("--json", fieldOptions->json, "JSON instead of the listing");
    fields->footer(kFieldsFooter);
    fields->callback([&ctx, fieldOptions] { listFields(ctx, *fieldOptions); });
}

}  // namespace loom::cli
