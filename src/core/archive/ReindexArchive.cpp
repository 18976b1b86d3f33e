#include "archive/ReindexArchive.h"

#include <memory>
#include <string>

#include "archive/IndexEngine.h"
#include "archive/TemplateFolder.h"
#include "common/Messages.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
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

std::unique_ptr<LockedFile> lockIndex(AppContext& context, std::string_view name) {
    FileSystem& files = context.files();
    const std::filesystem::path folder = context.programDirectory().folder(ProgramFolder::Index);
    if (!files.exists(folder)) files.createFolder(folder);
    std::string error;
    return files.openLocked(context.programDirectory().file(ProgramFolder::Index, name),
                            OpenMode::CreateIfAbsent, error);
}

bool rebuildDataIndex(AppContext& context, ReindexCounts& counts) {
    std::unique_ptr<LockedFile> index = lockIndex(context, kDataIndex);
    if (!index) return false;
    // Reading a data file refills the label table; the open system's names must survive.
    const LabelTable labels = context.labels();
    const std::filesystem::path folder = context.programDirectory().folder(ProgramFolder::Files);
    std::string content;
    DataFile data(context);
    for (const std::string& file : context.files().list(folder, ProgramDirectory::kDataExtension)) {
        ++counts.dataFiles;
        if (!data.Read(folder / file, false)) continue;
        appendLine(content, data.DisplayName());
        ++counts.indexedFiles;
    }
    context.labels() = labels;
    return index->replace(content);
}

void rebuildFormIndex(AppContext& context, ReindexCounts& counts) {
    std::unique_ptr<LockedFile> index = lockIndex(context, kFormIndex);
    if (!index) return;
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
    index->replace(content);
}

}  // namespace

bool ConfirmAndReindexArchive(AppContext& context, ReindexCounts* counts) {
    if (context.prompt().ask(formatMessage(MessageId::ConfirmReindex), Buttons::YesNo,
                             MessageKind::Question) != Answer::Yes)
        return false;
    return ReindexArchive(context, counts);
}

bool ReindexArchive(AppContext& context, ReindexCounts* counts) {
    ReindexCounts local;
    ReindexCounts& c = counts != nullptr ? *counts : local;
    c = ReindexCounts{};
    if (!rebuildDataIndex(context, c)) {
        context.prompt().show(MessageId::IndexNotCreated);
        return false;
    }
    rebuildFormIndex(context, c);
    return true;
}

}  // namespace loom
