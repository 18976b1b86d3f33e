#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "FormLoading.h"
#include "archive/FileId.h"
#include "archive/NewDataFile.h"
#include "archive/SystemPassword.h"
#include "common/Cp1252.h"
#include "datafile/DataFile.h"
#include "fields/PromImageBuilder.h"
#include "fields/ValueCodec.h"

namespace loom::cli {
namespace {

struct Assignment {
    FieldAddress address = 0;
    std::string value;  // code page 1252
};

std::string addressText(FieldAddress address) {
    return fieldAddressText(address);
}

// ADDRESS=VALUE, ADDRESS decimal or 0x-hexadecimal.
bool parseAssignment(CliContext& ctx, const std::string& text, Assignment& out) {
    const auto eq = text.find('=');
    std::uint64_t address = 0;
    if (eq == std::string::npos || !parseNumber(text.substr(0, eq), address) ||
        address > 0xFFFFFFFFu) {
        ctx.err << "error: expected ADDRESS=VALUE (ADDRESS decimal or 0x-hexadecimal): " << text
                << "\n";
        ctx.exitCode = kExitUsage;
        return false;
    }
    if (!toCp1252(text.substr(eq + 1), out.value)) {
        ctx.err << "error: the value has characters outside code page 1252: " << text << "\n";
        ctx.exitCode = kExitRefused;
        return false;
    }
    out.address = static_cast<FieldAddress>(address);
    return true;
}

bool parseAssignments(CliContext& ctx, const std::vector<std::string>& texts,
                      std::vector<Assignment>& out) {
    for (const std::string& text : texts) {
        Assignment a;
        if (!parseAssignment(ctx, text, a)) return false;
        out.push_back(std::move(a));
    }
    return true;
}

// The value as the field's codec takes it; a refusal is reported.
bool codecAccepts(CliContext& ctx, const FieldRecord& field, const std::string& value) {
    if (isAddressless(field.address)) return true;  // kept as text, never placed
    std::vector<std::uint8_t> bytes;
    const CodecResult r = parseValue(field.type, value, sizeInBits(field.size), bytes);
    if (r == CodecResult::Ok) return true;
    ctx.err << "error: field " << addressText(field.address) << " (type "
            << static_cast<int>(field.type) << ") refuses \"" << cp1252ToUtf8(value) << "\": "
            << (r == CodecResult::BadCharacter ? "a character the type does not allow"
                                               : "the value does not fit the field")
            << "\n";
    ctx.exitCode = kExitRefused;
    return false;
}

// The template's fields with the file's values: what the program holds once a system is
// open. File records the template does not know are kept as they are.
void mergeValues(const FieldStore& fileValues, FieldStore& formStore) {
    fileValues.forEach([&](const FieldRecord& r) {
        if (FieldRecord* field = formStore.find(r.address)) {
            field->value = r.value;
        } else {
            formStore.copyIn(r);
        }
    });
}

// ---- data show ----

struct ShowOptions {
    std::string file;
    bool json = false;
};

void showData(CliContext& ctx, const ShowOptions& o) {
    CliSession session(ctx);
    DataFile data(session.app());
    data.keepFileOrder(true);
    if (!data.Read(o.file, true)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    const std::vector<FieldRecord>& records = data.recordsInFileOrder();
    if (o.json) {
        nlohmann::ordered_json j;
        j["template"] = cp1252ToUtf8(data.templateName());
        j["displayName"] = cp1252ToUtf8(data.DisplayName());
        j["records"] = nlohmann::ordered_json::array();
        for (const FieldRecord& r : records) {
            j["records"].push_back({{"address", r.address},
                                    {"type", r.type},
                                    {"flags", r.flags},
                                    {"value", cp1252ToUtf8(r.value)}});
        }
        ctx.out << j.dump(2) << '\n';
        return;
    }
    ctx.out << "Template \"" << escapeControls(cp1252ToUtf8(data.templateName())) << "\"\n";
    ctx.out << "Display name \"" << escapeControls(cp1252ToUtf8(data.DisplayName())) << "\"\n";
    ctx.out << "Records: " << records.size() << "\n";
    for (const FieldRecord& r : records) {
        ctx.out << "  " << addressText(r.address) << " type " << static_cast<int>(r.type)
                << " flags 0x" << hexOf(r.flags) << " \"" << escapeControls(cp1252ToUtf8(r.value))
                << "\"\n";
    }
}

// ---- data new ----

struct NewOptions {
    std::string form;
    std::vector<std::string> sets;
};

void newData(CliContext& ctx, const NewOptions& o) {
    std::vector<Assignment> sets;
    if (!parseAssignments(ctx, o.sets, sets)) return;
    CliSession session(ctx);
    if (!session.login()) return;
    AppContext& app = session.app();
    std::unique_ptr<LoadedForm> loaded = loadForm(app, o.form);
    if (!loaded) {
        ctx.exitCode = kExitRefused;
        return;
    }
    FieldStore& values = loaded->form->store();
    for (const Assignment& a : sets) {
        FieldRecord* field = values.find(a.address);
        if (!field) {
            ctx.err << "error: the template has no field at " << addressText(a.address) << "\n";
            ctx.exitCode = kExitRefused;
            return;
        }
        if (!codecAccepts(ctx, *field, a.value)) return;
        field->value = a.value;
    }
    // Named when it is made, never over another system's file (a taken name gives way to
    // the next second's identifier).
    const std::filesystem::path path = SaveNewDataFile(app, NewFileId(app), loaded->form->name(),
                                                       app.systemPassword(), values, true);
    if (path.empty()) {
        ctx.exitCode = kExitRefused;
        return;
    }
    ctx.out << path.string() << '\n';
}

// ---- data set ----

struct SetOptions {
    std::string file;
    std::string form;
    std::vector<std::string> sets;
};

void setData(CliContext& ctx, const SetOptions& o) {
    std::vector<Assignment> sets;
    if (!parseAssignments(ctx, o.sets, sets)) return;
    CliSession session(ctx);
    if (!session.login()) return;
    AppContext& app = session.app();
    DataFile data(app);
    std::string templateName, password;
    if (!data.ReadHeader(o.file, templateName, password, true)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    // As when the program opens a system saved under another system password.
    if (password != app.systemPassword() && !AcceptFilePassword(app, password, true)) {
        app.prompt().show(MessageId::WrongPassword, {}, MessageKind::Stop);
        ctx.exitCode = kExitRefused;
        return;
    }
    if (!data.Read(o.file, true)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    std::optional<std::filesystem::path> formPath;
    if (!o.form.empty()) {
        formPath = std::filesystem::path(o.form);
    } else {
        formPath = findTemplateByName(app, templateName);
    }
    if (!formPath) {
        ctx.err << "error: no template \"" << cp1252ToUtf8(templateName) << "\" in "
                << app.programDirectory().folder(ProgramFolder::Forms).string()
                << " (name one with --form)\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    std::unique_ptr<LoadedForm> loaded = loadForm(app, *formPath);
    if (!loaded) {
        ctx.exitCode = kExitRefused;
        return;
    }
    FieldStore& values = data.Store();
    for (const Assignment& a : sets) {
        const FieldRecord* field = loaded->form->store().find(a.address);
        if (!field) {
            ctx.err << "error: the template has no field at " << addressText(a.address) << "\n";
            ctx.exitCode = kExitRefused;
            return;
        }
        if (!codecAccepts(ctx, *field, a.value)) return;
        // The changed value takes its field's description, so that it is saved normalised;
        // values not touched are saved exactly as they were read.
        FieldRecord* existing = values.find(a.address);
        FieldRecord& record = existing ? *existing : values.findOrCreate(a.address);
        if (!existing) record.flags = field->flags;
        record.size = field->size;
        record.type = field->type;
        record.value = a.value;
    }
    if (!data.Write(o.file, templateName, app.systemPassword(), values, true)) {
        ctx.exitCode = kExitRefused;
    }
}

// ---- data image ----

struct ImageOptions {
    std::string file;
    std::string form;
    std::string fileId;
    std::string product;
    std::string convertTo;
};

void printImage(std::ostream& out, const PromImage& image) {
    for (const PromBlock& block : image.blocks()) {
        bool erased = true;
        for (std::uint8_t b : block.data)
            erased = erased && b == PromImage::kErased;
        if (erased) continue;
        char address[16];
        std::snprintf(address, sizeof address, "%05X", static_cast<unsigned>(block.address));
        out << address << ' ';
        for (std::uint8_t b : block.data)
            out << hexOf(b);
        out << '\n';
    }
}

void imageData(CliContext& ctx, const ImageOptions& o, bool fileIdGiven, bool productGiven,
               bool convertGiven) {
    CliSession session(ctx);
    AppContext& app = session.app();
    std::vector<std::uint8_t> idBytes;
    if (fileIdGiven) {
        idBytes = FileIdToBytes(o.fileId);
        if (idBytes.empty()) {
            ctx.err << "error: not a file identifier: " << o.fileId << "\n";
            ctx.exitCode = kExitUsage;
            return;
        }
    }
    std::string product;
    if (productGiven && !toCp1252(o.product, product)) {
        ctx.err << "error: the product text has characters outside code page 1252\n";
        ctx.exitCode = kExitUsage;
        return;
    }
    DataFile data(app);
    if (!data.Read(o.file, true)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    std::unique_ptr<LoadedForm> loaded = loadForm(app, o.form);
    if (!loaded) {
        ctx.exitCode = kExitRefused;
        return;
    }
    const Form& form = *loaded->form;
    FieldStore values = form.store();
    mergeValues(data.Store(), values);
    PromImage image = PromImageBuilder::build(values);
    // The panel's product text first, then the file's identity, as a write places them.
    if (productGiven) PromImageBuilder::writeProductText(image, form.productAddress(), product);
    if (fileIdGiven && form.idAddress() >= 0)
        image.write(static_cast<std::uint32_t>(form.idAddress()), idBytes);
    if (convertGiven) {
        std::string model;
        if (!toCp1252(o.convertTo, model)) {
            ctx.err << "error: the model has characters outside code page 1252\n";
            ctx.exitCode = kExitUsage;
            return;
        }
        ConversionList& conversions = app.conversions();
        conversions.LoadConversions(app.files(),
                                    app.programDirectory().folder(ProgramFolder::Convert));
        const ConversionEntry* entry = conversions.FindConversion(form.name(), model);
        if (!entry) {
            ctx.err << "error: no conversion from \"" << cp1252ToUtf8(form.name()) << "\" to \""
                    << o.convertTo << "\" in "
                    << app.programDirectory().folder(ProgramFolder::Convert).string() << "\n";
            ctx.exitCode = kExitRefused;
            return;
        }
        ConversionList::Convert(image, *entry);
    }
    printImage(ctx.out, image);
}

}  // namespace

void registerDataCommands(CLI::App& app, CliContext& ctx) {
    CLI::App* data = app.add_subcommand("data", "Data files (.KQD): one system each");
    data->require_subcommand(1);

    auto show = std::make_shared<ShowOptions>();
    CLI::App* showCmd = data->add_subcommand(
        "show", "Show a data file's template, display name and records (needs no login)");
    showCmd->add_option("file", show->file, "The data file")->required();
    showCmd->add_flag("--json", show->json,
                      "JSON: {template, displayName, records: [{address, type, flags, value}]} "
                      "with the records in file order; the stored password is never shown");
    showCmd->callback([&ctx, show] { showData(ctx, *show); });

    auto made = std::make_shared<NewOptions>();
    CLI::App* newCmd = data->add_subcommand(
        "new",
        "Create FILES/<new file identifier>.KQD from a template's default values and the "
        "given ones, under the current system password; prints the new file's path");
    newCmd->add_option("--form", made->form, "The template (.FRM)")->required();
    newCmd->add_option("--set", made->sets,
                       "ADDRESS=VALUE: ADDRESS the field address (decimal or 0x-hexadecimal), "
                       "VALUE as typed in the form; may be repeated");
    newCmd->callback([&ctx, made] { newData(ctx, *made); });

    auto set = std::make_shared<SetOptions>();
    CLI::App* setCmd = data->add_subcommand(
        "set",
        "Change values of a data file and save it; a value its field refuses is reported and "
        "nothing is written. The template is found in FORMS by the name the file records");
    setCmd->add_option("file", set->file, "The data file")->required();
    setCmd->add_option("assignments", set->sets, "ADDRESS=VALUE ...")->required();
    setCmd->add_option("--form", set->form, "The template to use instead of the one in FORMS");
    setCmd->callback([&ctx, set] { setData(ctx, *set); });

    auto image = std::make_shared<ImageOptions>();
    CLI::App* imageCmd = data->add_subcommand(
        "image",
        "Print the PROM image that writing this system would send: one line per 16-byte "
        "block that is not all FF, in address order, the address as 5 hexadecimal digits, "
        "a blank and 32 hexadecimal digits");
    imageCmd->add_option("file", image->file, "The data file")->required();
    imageCmd->add_option("--form", image->form, "The template (.FRM)")->required();
    CLI::Option* idOpt = imageCmd->add_option(
        "--fileid", image->fileId, "Place this file identifier at the template's id address");
    CLI::Option* productOpt =
        imageCmd->add_option("--product", image->product,
                             "Place this panel product text at the template's product address "
                             "(without its first 8 characters)");
    CLI::Option* convertOpt = imageCmd->add_option(
        "--convert-to", image->convertTo,
        "Convert the image to this panel model with a conversion file from Convert");
    imageCmd->callback([&ctx, image, idOpt, productOpt, convertOpt] {
        imageData(ctx, *image, idOpt->count() > 0, productOpt->count() > 0,
                  convertOpt->count() > 0);
    });
}

}  // namespace loom::cli
