#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "template/TemplateScanner.h"

namespace loom::kqform {

// A template that the loader refuses; what() holds the loader's messages (UTF-8).
class TemplateRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Turns a template back into source text that compiles to the same bytes. The loader
// judges the bytes first and whatever it refuses is refused here (TemplateRefused), so
// the decompiler accepts exactly the templates the program opens. `displayName` names
// the file in the loader's messages.
class Decompiler : public TemplateVisitor {
  public:
    static std::string decompile(std::span<const std::uint8_t> bytes,
                                 const std::string& displayName = "template");

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
    void finish(std::span<const std::uint8_t> trailer);

    std::string out_;
    std::size_t depth_ = 0;
    std::uint32_t numbered_ = 0, pages_ = 0, lists_ = 0;
    std::uint32_t ruleCount_ = 0;
    std::vector<RawRule> rules_;
};

}  // namespace loom::kqform
