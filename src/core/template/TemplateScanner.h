#pragma once

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "template/TemplateItems.h"

namespace loom {

// Receives the items of a template in file order; every item is ignored unless
// overridden. A visitor may throw its own exception to stop the scan; the scanner lets it
// through untouched.
class TemplateVisitor {
  public:
    virtual ~TemplateVisitor() = default;
    virtual void onGroup(std::string_view /*name*/) {}
    virtual void onGroupEnd() {}
    virtual void onPage(std::string_view /*name*/) {}
    virtual void onControl(const RawControl& /*control*/) {}
    virtual void onValueList(const RawValueList& /*list*/) {}
    virtual void onCaption(std::string_view /*text*/) {}
    virtual void onPageEnd() {}
    virtual void onIdAddress(std::uint32_t /*address*/) {}
    virtual void onProductAddress(std::uint32_t /*address*/) {}
    virtual void onHelp(std::string_view /*name*/) {}
    virtual void onEvents(const std::vector<RawEventCode>& /*codes*/) {}
    virtual void onNoErase(std::uint32_t /*value*/) {}
    virtual void onBodyEnd() {}
    virtual void onRuleCount(std::uint32_t /*count*/) {}
    virtual void onRule(const RawRule& /*rule*/) {}
};

enum class ScanFailure {
    CannotOpen,       // the file could not be opened (errno kept)
    NotTemplate,      // shorter than 11 bytes or wrong magic
    WrongVersion,     // version byte other than 1
    Malformed,        // anything else that breaks the format, truncation included
    UnknownRuleCode,  // a condition or action code outside 42-59 / 60-74
    BadChecksum,      // stored checksum differs from the running sum
};

class TemplateScanError : public std::exception {
  public:
    TemplateScanError(ScanFailure failure, std::string detail, int systemError = 0)
        : failure_(failure), detail_(std::move(detail)), systemError_(systemError) {}
    ScanFailure failure() const { return failure_; }
    const std::string& detail() const { return detail_; }  // for developers, not shown to users
    int systemError() const { return systemError_; }
    const char* what() const noexcept override { return detail_.c_str(); }

  private:
    ScanFailure failure_;
    std::string detail_;
    int systemError_;
};

struct TemplateHeader {
    std::uint8_t version = 0;
    std::string name;   // code page 1252
    std::string title;  // code page 1252
};

// Reads a compiled template from a file (through a buffer of at most `bufferSize` bytes,
// the whole file when it fits) or from memory, in one pass, keeping the running checksum
// of every byte from offset 11 on. It never reads past the end of its input and bounds
// every loop by the bytes that remain.
class TemplateScanner {
  public:
    static constexpr std::size_t kBufferSize = 131072;
    static constexpr std::size_t kMinBufferSize = 16;  // smaller sizes are taken as this

    // Throws TemplateScanError(CannotOpen) when the file cannot be opened. A buffer
    // smaller than the default only makes sense for testing the refills.
    static TemplateScanner openFile(const std::string& path, std::size_t bufferSize = kBufferSize);
    static TemplateScanner fromMemory(std::span<const std::uint8_t> bytes);

    TemplateScanner(TemplateScanner&&) noexcept;
    TemplateScanner& operator=(TemplateScanner&&) noexcept;
    ~TemplateScanner();

    // Magic, version and the two header texts. Throws NotTemplate (Malformed when a header
    // text runs past the end or is too long); does not judge the version (the caller does,
    // since the index lists templates of any version).
    TemplateHeader readHeader();
    // Everything after the header: body, rules, checksum. Throws WrongVersion unless the
    // header's version was 1, then Malformed / UnknownRuleCode / BadChecksum.
    void readBody(TemplateVisitor& visitor);
    // Reads the header only and closes; false when the file cannot be opened or is not
    // a template.
    static bool readHeaderOnly(const std::string& path, TemplateHeader& header);
    // Bytes consumed so far; after readBody, the offset just past the checksum. Bytes
    // after that are ignored by the loader, kqform keeps them.
    std::uint64_t bytesRead() const;

  private:
    struct Impl;
    explicit TemplateScanner(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace loom
