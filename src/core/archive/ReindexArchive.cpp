#include "archive/ReindexArchive.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/IndexEngine.h"
#include "archive/TemplateFolder.h"
#include "common/Messages.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "datafile/LabelTable.h"
#include "platform/FileSystem.h"

namespace loom {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A value holding a line break would split the line; StoreIndexLine drops them too.
void appendLine(std::string& content, std::string_view line) {
    for (const char c : line) {
        if (c != '\n' && c != '\r') content.push_back(c);
    }
    content += kLineEnd;
}

// An index being rebuilt: held from the start, replaced whole at the end. A failure
// shows message 40 with what failed, on which file and why.
class IndexRebuild {
  public:
    IndexRebuild(AppContext& context, std::string_view name)
        : context_(context), path_(context.programDirectory().file(ProgramFolder::Index, name)) {
        FileSystem& files = context.files();
        const std::filesystem::path folder = path_.parent_path();
        if (!files.exists(folder)) files.createFolder(folder);
        std::string error;
        file_ = files.openLocked(path_, OpenMode::CreateIfAbsent, error);
        if (!file_) fail(MessageId::CannotOpenFile, error);
    }

    bool held() const { return file_ != nullptr; }

    bool replace(std::string_view content) {
        if (!file_) return false;
        if (file_->replace(content)) return true;
        fail(MessageId::CannotSaveFile, file_->error());
        return false;
    }

  private:
    void fail(MessageId what, std::string_view reason) {
        std::string text(messageText(MessageId::IndexNotCreated));
        text += '\n';
        text += fileMessage(what, path_, reason);
        context_.prompt().show(text, MessageKind::Warning);
    }

    AppContext& context_;
    std::filesystem::path path_;
    std::unique_ptr<LockedFile> file_;
};

// A key leads to FILES/<key>.KQD alone: a copy such as "<key>.bak.KQD" has the same key and
// would give the index a second line for the first file.
class KeyClaims {
  public:
    explicit KeyClaims(const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            if (name == keyOf(name) + std::string(ProgramDirectory::kDataExtension))
                claims_.emplace(keyOf(name), name);
        }
    }

    // The file that holds `name`'s key, or empty when `name` may have it.
    std::string holderOtherThan(const std::string& name) const {
        const auto found = claims_.find(keyOf(name));
        return found == claims_.end() || found->second == name ? std::string() : found->second;
    }
    void claim(const std::string& name) { claims_.emplace(keyOf(name), name); }

    static std::string keyOf(const std::string& name) { return name.substr(0, name.find('.')); }

  private:
    std::map<std::string, std::string> claims_;
};

bool rebuildDataIndex(AppContext& context, ReindexCounts& counts) {
    IndexRebuild index(context, kDataIndex);
    if (!index.held()) return false;
    // Reading a data file refills the label table; the open system's names must survive.
    const LabelTable labels = context.labels();
    const std::filesystem::path folder = context.programDirectory().folder(ProgramFolder::Files);
    const std::vector<std::string> names =
        context.files().list(folder, ProgramDirectory::kDataExtension);
    KeyClaims keys(names);
    std::string content;
    DataFile data(context);
    for (const std::string& file : names) {
        ++counts.dataFiles;
        const std::filesystem::path path = folder / file;
        if (const std::string holder = keys.holderOtherThan(file); !holder.empty()) {
            context.prompt().show(
                MessageId::SameIndexKey,
                {pathText(path), DataFile::fileTitle(path), pathText(folder / holder)},
                MessageKind::Warning);
            continue;
        }
        if (!data.Read(path, false)) continue;
        keys.claim(file);
        appendLine(content, data.DisplayName());
        ++counts.indexedFiles;
    }
    context.labels() = labels;
    return index.replace(content);
}

bool rebuildFormIndex(AppContext& context, ReindexCounts& counts) {
    IndexRebuild index(context, kFormIndex);
    if (!index.held()) return false;
    std::string content;
    scanTemplateHeaders(
        context,
        [&](const TemplateFileHeader& header) {
            ++counts.indexedTemplates;
            std::string line = header.file;
            line += '\t';
            line += header.name;
            line += '\t';
            line += header.title;
            appendLine(content, line);
            return true;
        },
        [&](const std::filesystem::path& path, std::string_view systemError) {
            // One box: the system's reason, then which file.
            std::string text(systemError);
            text += '\n';
            text += formatMessage(MessageId::CannotOpenFile, {pathText(path)});
            context.prompt().show(text, MessageKind::Warning);
        });
    return index.replace(content);
}

}  // namespace

bool ConfirmReindex(AppContext& context) {
    return context.prompt().ask(MessageId::ConfirmReindex, Buttons::YesNo, MessageKind::Question) ==
           Answer::Yes;
}

bool ConfirmAndReindexArchive(AppContext& context, ReindexCounts* counts) {
    return ConfirmReindex(context) && ReindexArchive(context, counts);
}

bool ReindexArchive(AppContext& context, ReindexCounts* counts) {
    ReindexCounts local;
    ReindexCounts& c = counts != nullptr ? *counts : local;
    c = ReindexCounts{};
    // FORM.KQI is rebuilt even when DATA.KQI failed: each is worth having.
    const bool data = rebuildDataIndex(context, c);
    const bool forms = rebuildFormIndex(context, c);
    return data && forms;
}

}  // namespace loom
