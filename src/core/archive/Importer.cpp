#include "archive/Importer.h"

#include <optional>
#include <utility>

#include "archive/FolderCheck.h"
#include "archive/IndexKey.h"
#include "archive/SystemSave.h"
#include "common/Messages.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "datafile/LabelTable.h"

namespace loom {
namespace {

// Reading a data file refills the label table, which names the items of the open system
// in the event log: an import must not leave it naming those of the last file imported.
class LabelTableKeeper {
  public:
    explicit LabelTableKeeper(LabelTable& table) : table_(table), saved_(table) {}
    ~LabelTableKeeper() { table_ = std::move(saved_); }
    LabelTableKeeper(const LabelTableKeeper&) = delete;
    LabelTableKeeper& operator=(const LabelTableKeeper&) = delete;

  private:
    LabelTable& table_;
    LabelTable saved_;
};

}  // namespace

Importer::Importer(AppContext& context)
    : context_(context), systemPassword_(context.systemPassword()) {}

CopyRunResult Importer::ok() {
    const std::optional<std::filesystem::path> checked = checkFolder(context_, folder);
    if (!checked) return {};
    LabelTableKeeper labels(context_.labels());
    FileSystem& files = context_.files();
    const std::filesystem::path archive = context_.programDirectory().folder(ProgramFolder::Files);
    files.createFolder(archive);
    const std::vector<std::string> names = files.list(*checked, ProgramDirectory::kDataExtension);

    CopyRun run(context_);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (beforeFile) beforeFile(pathText(std::filesystem::path(name)), i, names.size());
        // Listed names are plain names; one that is not could lead the copy out of FILES.
        if (!isSafeIndexKey(name)) continue;
        const std::filesystem::path from = *checked / name;
        const std::filesystem::path to = archive / name;
        indexed_ = true;
        const Outcome outcome = importOne(from, to);
        if (!indexed_) run.failed();
        if (outcome == Outcome::Copied) {
            DataFile imported(context_);
            run.copied(imported.Read(to, false) ? imported.DisplayName() : DataFile::fileTitle(to));
            if (const std::optional<std::int64_t> time = files.lastWriteTime(from))
                files.setLastWriteTime(to, *time);
        } else if (outcome != Outcome::Skipped) {
            if (outcome == Outcome::Failed) run.failed();
            DataFile source(context_);
            if (!source.Read(from, false)) continue;
            run.notCopied(source.DisplayName());
        }
    }
    return run.finish(archive, *checked);
}

Importer::Outcome Importer::importOne(const std::filesystem::path& from,
                                      const std::filesystem::path& to) {
    std::string templateName;
    std::string password;
    if (!DataFile(context_).ReadHeader(from, templateName, password, false))
        return Outcome::Skipped;
    FileSystem& files = context_.files();
    const bool exists = files.exists(to);
    if (exists) {
        const std::optional<std::int64_t> toTime = files.lastWriteTime(to);
        const std::optional<std::int64_t> fromTime = files.lastWriteTime(from);
        if (toTime && fromTime && *toTime >= *fromTime) return Outcome::NotCopied;
    }
    bool byteCopy = false;
    const Outcome outcome = !replaceCustomerInfo && exists
                                ? merge(from, to, templateName)
                                : plainImport(from, to, templateName, password, byteCopy);
    // A written file has entered its line itself; a copied one has not.
    if (outcome == Outcome::Copied && byteCopy) {
        DataFile imported(context_);
        if (imported.Read(to, false)) indexed_ = IndexSystem(context_, imported);
    }
    return outcome;
}

Importer::Outcome Importer::write(const std::filesystem::path& to, const std::string& templateName,
                                  const FieldStore& values) {
    // The file's own report says which file could not be written and why.
    const SavedSystem saved = SaveSystem(context_, to, templateName, systemPassword_, values, true);
    if (!saved.written) return Outcome::Failed;
    indexed_ = saved.indexed;
    return Outcome::Copied;
}

Importer::Outcome Importer::merge(const std::filesystem::path& from,
                                  const std::filesystem::path& to,
                                  const std::string& templateName) {
    DataFile archived(context_);
    DataFile incoming(context_);
    if (!archived.Read(to, false) || !incoming.Read(from, false)) return Outcome::NotCopied;
    const FieldStore& old = archived.Store();
    const FieldStore& fresh = incoming.Store();
    // The archive's customer information lives in address-less fields; everything the
    // panel holds comes from the imported file.
    FieldStore merged;
    merged.reserve(old.size() + fresh.size());
    fresh.forEach([&](const FieldRecord& record) {
        const FieldRecord* kept =
            isAddressless(record.address) ? old.find(record.address) : nullptr;
        merged.copyIn(kept != nullptr ? *kept : record);
    });
    old.forEach([&](const FieldRecord& record) {
        if (fresh.find(record.address) == nullptr) merged.copyIn(record);
    });
    return write(to, templateName, merged);
}

Importer::Outcome Importer::plainImport(const std::filesystem::path& from,
                                        const std::filesystem::path& to,
                                        const std::string& templateName,
                                        const std::string& password, bool& byteCopy) {
    DataFile incoming(context_);
    // Read whole first in both cases: a file whose body is damaged must not replace the
    // archive's copy.
    if (!incoming.Read(from, false)) return Outcome::NotCopied;
    if (password != systemPassword_) return write(to, templateName, incoming.Store());
    std::string error;
    if (!context_.files().copyFile(from, to, error)) {
        context_.prompt().show(fileMessage(MessageId::CannotSaveFile, to, error),
                               MessageKind::Warning);
        return Outcome::Failed;
    }
    byteCopy = true;
    return Outcome::Copied;
}

}  // namespace loom
