#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "template/TemplateScanner.h"

namespace loom::kqform {

// Turns a template back into source text that compiles to the same bytes. Anything the
// scanner refuses is passed on as its TemplateScanError; references to controls, value
// lists or pages that do not exist are refused as Malformed, as the loader refuses them.
class Decompiler : public TemplateVisitor {
  public:
    static std::string decompile(std::span<const std::uint8_t> bytes);

    void onGroup(std::string_view name) override;
    void onGroupEnd() override;
    void onPage(std::string_view name) override;
    void onControl(const RawControl& control) override;
    void onValueList(const RawValueList& list) override;
    void onCaption(std::string_view text) override;
    void onPageEnd() override;
    void onIdAddress(std::uint32_t address) override;
    void onProductAddress(std::uint32_t address) override;
    void onHelp(std::string_view name) override;
    void onEvents(const std::vector<RawEventCode>& codes) override;
    void onNoErase(std::uint32_t value) override;
    void onBodyEnd() override;
    void onRuleCount(std::uint32_t count) override;
    void onRule(const RawRule& rule) override;

  private:
    Decompiler() = default;
    void line(const std::string& text);
    void check(bool ok, const std::string& what) const;
    void finish(std::span<const std::uint8_t> trailer);

    std::string out_;
    std::size_t depth_ = 0;
    std::uint32_t numbered_ = 0, pages_ = 0, lists_ = 0;
    std::uint32_t ruleCount_ = 0;
    std::vector<RawRule> rules_;
};

}  // namespace loom::kqform
