// Feeds arbitrary bytes to the template scanner: it must refuse them with its own error,
// never read out of bounds, hang or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <span>

#include "template/TemplateScanner.h"

namespace {

class IgnoringVisitor : public loom::TemplateVisitor {
  public:
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        auto scanner = loom::TemplateScanner::fromMemory(std::span<const std::uint8_t>(data, size));
        IgnoringVisitor visitor;
        scanner.readBody(visitor);
    } catch (const loom::TemplateScanError&) {
    }
    return 0;
}
