// Feeds arbitrary bytes to the template scanner: it must refuse them with its own error,
// never read out of bounds, hang or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <span>

#include "template/TemplateScanner.h"

namespace {

class IgnoringVisitor : public loom::TemplateVisitor {
  public:
    void onGroup(std::string_view) override {}
    void onGroupEnd() override {}
    void onPage(std::string_view) override {}
    void onControl(const loom::RawControl&) override {}
    void onValueList(const loom::RawValueList&) override {}
    void onCaption(std::string_view) override {}
    void onPageEnd() override {}
    void onIdAddress(std::uint32_t) override {}
    void onProductAddress(std::uint32_t) override {}
    void onHelp(std::string_view) override {}
    void onEvents(const std::vector<loom::RawEventCode>&) override {}
    void onNoErase(std::uint32_t) override {}
    void onBodyEnd() override {}
    void onRuleCount(std::uint32_t) override {}
    void onRule(const loom::RawRule&) override {}
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
