#include "archive/Importer.h"

#include <optional>
#include <utility>

#include "archive/FolderCheck.h"
#include "archive/IndexEngine.h"
#include "archive/IndexKey.h"
#include "common/Messages.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"

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
    const std::optional<std::filesystem::path> folder = checkFolder(context_, folderText);
    if (!folder) return {};
    LabelTableKeeper labels(context_.labels());
    FileSystem& files = context_.files();
    const std::filesystem::path archive = context_.programDirectory().folder(ProgramFolder::Files);
    files.createFolder(archive);
    const std::vector<std::string> names = files.list(*folder, ProgramDirectory::kDataExtension);

    CopyRun run(context_);
    for (const std::string& name : names) {
        // Listed names are plain names; one that is not could lead the copy out of FILES.
        if (!isSafeIndexKey(name)) continue;
        const std::filesystem::path from = *folder / name;
        const std::filesystem::path to = archive / name;
        const Outcome outcome = importOne(from, to);
        if (outcome == Outcome::Copied) {
            DataFile imported(context_);
            run.copied(imported.Read(to, false) ? imported.DisplayName() : DataFile::fileTitle(to));
            if (const std::optional<std::int64_t> time = files.lastWriteTime(from))
                files.setLastWriteTime(to, *time);
        } else if (outcome == Outcome::NotCopied) {
            DataFile source(context_);
            if (!source.Read(from, false)) continue;
            run.notCopied(source.DisplayName());
        }
    }
    return run.finish(archive, *folder);
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
    const bool copied = !replaceCustomerInfo && exists
                            ? merge(from, to, templateName)
                            : plainImport(from, to, templateName, password, byteCopy);
    if (!copied) return Outcome::NotCopied;
    // A written file has entered its line itself; a copied one has not.
    if (byteCopy) {
        DataFile imported(context_);
        if (imported.Read(to, false))
            IndexEngine(context_).StoreIndexLine(kDataIndex, imported.DisplayName());
    }
    return Outcome::Copied;
}

bool Importer::merge(const std::filesystem::path& from, const std::filesystem::path& to,
                     const std::string& templateName) {
    DataFile archived(context_);
    DataFile incoming(context_);
    if (!archived.Read(to, false) || !incoming.Read(from, false)) return false;
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
    return DataFile(context_).Write(to, templateName, systemPassword_, merged, false);
}

bool Importer::plainImport(const std::filesystem::path& from, const std::filesystem::path& to,
                           const std::string& templateName, const std::string& password,
                           bool& byteCopy) {
    DataFile incoming(context_);
    // Read whole first in both cases: a file whose body is damaged must not replace the
    // archive's copy.
    if (!incoming.Read(from, false)) return false;
    if (password == systemPassword_) {
        std::string error;
        byteCopy = context_.files().copyFile(from, to, error);
        return byteCopy;
    }
    return DataFile(context_).Write(to, templateName, systemPassword_, incoming.Store(), false);
}

}  // namespace loom
