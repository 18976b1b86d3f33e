#include "document/FormPrintJob.h"

#include "common/Messages.h"
#include "template/Form.h"

namespace loom {

FormPrintLayout::Input formPrintJob(const Form& form, const std::vector<std::string>& fileInfo,
                                    const DialogUnits& units, int first, int end) {
    FormPrintLayout::Input job;
    job.screen = {units.baseWidth, units.baseHeight};
    for (const std::string& line : fileInfo)
        job.fileInfo.push_back({line, 0});
    job.infoTitle = std::string(messageText(MessageId::FileInformation));
    job.pages.reserve(static_cast<std::size_t>(form.pageCount()));
    for (int i = 0; i < form.pageCount(); ++i)
        job.pages.push_back(printPageOf(form, i));
    job.first = first;
    job.end = end;
    return job;
}

}  // namespace loom
