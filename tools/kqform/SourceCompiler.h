#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SourceToken.h"
#include "template/TemplateItems.h"
#include "template/TemplateWriter.h"

namespace loom::kqform {

// Compiles a template source (see docs/kqform.md) into template bytes. Checks everything the
// loader refuses and throws SourceError with the line of the first fault. The result is
// then loaded once more as a safety net: a template the loader refuses is never returned.
class SourceCompiler {
  public:
    static std::vector<std::uint8_t> compile(std::string_view source);

  private:
    enum class Context { Start, Body, Page, Values, Events, Rules, Trailer };
    struct PendingRule {
        RawRule rule;
        int line = 0;
    };
    // What an option button needs to know of the control it names as its group.
    struct NumberedControl {
        TemplateTag tag;
        std::uint32_t page;
    };
    class Cursor;

    SourceCompiler() = default;
    std::vector<std::uint8_t> run(std::string_view source);
    void statement(Cursor& in);
    void templateLine(Cursor& in);
    void bodyStatement(Cursor& in, std::string_view word);
    void pageStatement(Cursor& in, std::string_view word);
    void valuesStatement(Cursor& in, std::string_view word);
    void eventsStatement(Cursor& in, std::string_view word);
    void rulesStatement(Cursor& in, std::string_view word);
    void controlStatement(Cursor& in, TemplateTag tag);
    void startBody();
    void endBody();
    void finishRules();

    struct Reference {
        const char* what;  // "control", "value list", "page"
        char sigil;        // '#', '$', '@'
        const std::map<std::string, std::uint32_t, std::less<>>& names;
        const char* undefined;  // the end of the message for an unknown name
    };
    std::uint32_t reference(Cursor& in, const Reference& kind, std::uint32_t limit,
                            const std::string& defined);
    std::uint32_t controlRef(Cursor& in, std::uint32_t limit);
    std::uint32_t listRef(Cursor& in);
    std::uint32_t pageRef(Cursor& in);
    void defineName(std::map<std::string, std::uint32_t, std::less<>>& names, std::string_view name,
                    std::uint32_t number);

    TemplateWriter writer_;
    Context context_ = Context::Start;
    int line_ = 0;
    int pageLine_ = 0;  // line of the open page
    int openLine_ = 0;  // line of the open value list or event section
    std::string name_, title_;
    std::uint8_t version_ = 1;
    bool headerWritten_ = false;
    std::size_t groupDepth_ = 0;

    std::uint32_t numbered_ = 0, pages_ = 0, lists_ = 0;
    std::vector<NumberedControl> numberedControls_;
    std::map<std::string, std::uint32_t, std::less<>> controlNames_, listNames_, pageNames_;

    RawValueList list_;
    std::optional<std::string> listName_;
    std::vector<RawEventCode> events_;

    std::optional<std::uint32_t> ruleCount_;
    int ruleCountLine_ = 0;
    std::vector<PendingRule> rules_;
    std::string trailer_;
};

}  // namespace loom::kqform
