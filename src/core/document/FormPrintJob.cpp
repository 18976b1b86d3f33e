#include "document/FormPrintJob.h"

#include <algorithm>

#include "common/Messages.h"
#include "document/PrintFileInfo.h"
#include "template/Form.h"

namespace loom {

FormPrintLayout::Input formPrintJob(const Form& form, const std::filesystem::path& file,
                                    const Clock& clock, FileSystem& files, const DialogUnits& units,
                                    int first, int end) {
    FormPrintLayout::Input job;
    job.screen = {units.baseWidth, units.baseHeight};
    for (const std::string& line : printFileInfo(form.name(), file, clock, files))
        job.fileInfo.push_back({line, 0});
    job.infoTitle = std::string(messageText(MessageId::FileInformation));
    // Only the pages printed are built; the others keep their places in the list.
    job.pages.resize(static_cast<std::size_t>(form.pageCount()));
    for (int i = std::max(first, 0); i < std::min(end, form.pageCount()); ++i)
        job.pages[static_cast<std::size_t>(i)] = printPageOf(form, i);
    job.first = first;
    job.end = end;
    return job;
}

}  // namespace loom
