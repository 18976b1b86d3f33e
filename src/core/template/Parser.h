#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "template/Form.h"
#include "template/ParserEnvironment.h"
#include "template/TemplateScanner.h"

namespace loom {

// Reads a compiled template into a Form in one pass over the file. A Parser lives for
// one load. Load shows its own messages and gives back nothing when the template is
// refused; a partly built form never escapes.
class Parser : private TemplateVisitor {
  public:
    Parser();
    ~Parser() override;
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Name and title from the header (code page 1252). False when the file cannot be
    // opened or is not a template; shows nothing. Unless `closeAfter`, the file stays
    // open and a following Load of the same path reads on from there.
    bool ReadHeader(const std::string& path, std::string& name, std::string& title,
                    bool closeAfter);

    // The whole load. `path` is UTF-8. On success the no-erase option goes to `noErase`
    // (and the form); on failure `noErase` is left as it was.
    std::unique_ptr<Form> Load(const std::string& path, ParserEnvironment& env, bool& noErase);
    // The same from bytes in memory; `displayName` stands for the path in messages.
    std::unique_ptr<Form> LoadFromMemory(std::span<const std::uint8_t> bytes,
                                         const std::string& displayName, ParserEnvironment& env,
                                         bool& noErase);

  private:
    // Malformed content found by the parser itself (the scanner reports its own).
    class ParseError : public std::exception {
      public:
        const char* what() const noexcept override { return "malformed template"; }
    };

    enum class HeaderResult { Ok, CannotOpen, NotTemplate, Malformed };

    HeaderResult openAndReadHeader(const std::function<TemplateScanner()>& open, std::string& name,
                                   std::string& title);
    std::unique_ptr<Form> run(const std::function<TemplateScanner()>& open, const std::string& path,
                              ParserEnvironment& env, bool& noErase);
    void reportScanFailure(const TemplateScanError& error);

    // TemplateVisitor: the items in file order.
    void onGroup(std::string_view name) override;
    void onGroupEnd() override;
    void onPage(std::string_view name) override;
    void onControl(const RawControl& raw) override;
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
    void onRule(const RawRule& raw) override;

    FieldRecord& readField(const RawField& raw);
    PixelRect toPixels(const RawRect& raw) const;
    void sizePicture(FormControl& control);
    FormControl* numberedControl(std::uint32_t number) const;
    int pageNumber(std::uint32_t number) const;
    std::string folderPath(std::string_view folder, std::string_view name) const;
    void finishControls();

    std::unique_ptr<TemplateScanner> scanner_;
    std::string openPath_;  // the file that ReadHeader left open, if any
    std::string name_, title_;
    int systemError_ = 0;  // of the last failed open
    std::uint8_t version_ = 0;
    bool noErase_ = false;
    std::unique_ptr<Form> form_;
    ParserEnvironment* env_ = nullptr;
    std::vector<int> groups_;  // tree handles: the root, then each open group
    FormPage* page_ = nullptr;
    std::size_t pageFirst_ = 0;  // the open page's first control in the form's list
    std::uint32_t dataControls_ = 0;
    std::string messagePath_;  // the path as the messages show it (code page 1252)
};

}  // namespace loom
