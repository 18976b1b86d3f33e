#include "fields/PromImage.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace loom {
namespace {

constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

}  // namespace

PromImage::PromImage() = default;
PromImage::~PromImage() = default;

// The write cache must not follow the pages to another image.
PromImage::PromImage(PromImage&& other) noexcept
    : pages_(std::move(other.pages_)),
      blockCount_(std::exchange(other.blockCount_, 0)),
      cachedNumber_(other.cachedNumber_),
      cachedPage_(std::exchange(other.cachedPage_, nullptr)) {
    other.pages_.clear();
}

PromImage& PromImage::operator=(PromImage&& other) noexcept {
    if (this != &other) {
        pages_ = std::move(other.pages_);
        other.pages_.clear();
        blockCount_ = std::exchange(other.blockCount_, 0);
        cachedNumber_ = other.cachedNumber_;
        cachedPage_ = std::exchange(other.cachedPage_, nullptr);
    }
    return *this;
}

PromImage::PromImage(const PromImage& other) : blockCount_(other.blockCount_) {
    pages_.reserve(other.pages_.size());
    for (const auto& [number, page] : other.pages_)
        pages_.emplace(number, std::make_unique<Page>(*page));
}

PromImage& PromImage::operator=(const PromImage& other) {
    if (this != &other) {
        PromImage copy(other);
        *this = std::move(copy);
    }
    return *this;
}

const PromImage::Page* PromImage::findPage(std::uint32_t pageNumber) const {
    const auto it = pages_.find(pageNumber);
    return it == pages_.end() ? nullptr : it->second.get();
}

PromImage::Page& PromImage::pageFor(std::uint32_t pageNumber) {
    if (cachedPage_ != nullptr && cachedNumber_ == pageNumber) return *cachedPage_;
    auto& slot = pages_[pageNumber];
    if (!slot) slot = std::make_unique<Page>();
    cachedNumber_ = pageNumber;
    cachedPage_ = slot.get();
    return *slot;
}

void PromImage::write(std::uint32_t address, std::span<const std::uint8_t> bytes) {
    std::uint64_t a = address;
    const std::uint64_t end = std::min<std::uint64_t>(a + bytes.size(), kAddressSpace);
    const std::uint8_t* src = bytes.data();
    while (a < end) {
        Page& page = pageFor(static_cast<std::uint32_t>(a >> kPageShift));
        const auto offset = static_cast<std::uint32_t>(a & (kPageBytes - 1));
        const auto chunk =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(end - a, kPageBytes - offset));
        for (std::uint32_t b = offset / PromBlock::kSize;
             b <= (offset + chunk - 1) / PromBlock::kSize; ++b) {
            const std::uint64_t bit = std::uint64_t{1} << b;
            if ((page.present & bit) != 0) continue;
            std::memset(page.bytes + b * PromBlock::kSize, kErased, PromBlock::kSize);
            page.present |= bit;
            ++blockCount_;
        }
        std::memcpy(page.bytes + offset, src, chunk);
        src += chunk;
        a += chunk;
    }
}

void PromImage::readInto(std::uint32_t address, std::span<std::uint8_t> out) const {
    std::uint64_t a = address;
    std::size_t done = 0;
    while (done < out.size()) {
        std::uint8_t* dst = out.data() + done;
        const std::size_t left = out.size() - done;
        if (a >= kAddressSpace) {
            std::memset(dst, kErased, left);
            return;
        }
        const Page* page = findPage(static_cast<std::uint32_t>(a >> kPageShift));
        const auto offset = static_cast<std::uint32_t>(a & (kPageBytes - 1));
        const auto chunk =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kPageBytes - offset));
        if (page == nullptr) {
            std::memset(dst, kErased, chunk);
        } else if (page->present == ~std::uint64_t{0}) {
            std::memcpy(dst, page->bytes + offset, chunk);
        } else {
            for (std::uint32_t i = 0; i < chunk;) {
                const std::uint32_t at = offset + i;
                const std::uint32_t b = at / PromBlock::kSize;
                const std::uint32_t n = std::min(chunk - i, (b + 1) * PromBlock::kSize - at);
                if ((page->present >> b) & 1u)
                    std::memcpy(dst + i, page->bytes + at, n);
                else
                    std::memset(dst + i, kErased, n);
                i += n;
            }
        }
        done += chunk;
        a += chunk;
    }
}

std::vector<std::uint8_t> PromImage::read(std::uint32_t address, std::size_t count) const {
    std::vector<std::uint8_t> out(count);
    readInto(address, out);
    return out;
}

std::uint8_t PromImage::at(std::uint32_t address) const {
    std::uint8_t b = kErased;
    readInto(address, {&b, 1});
    return b;
}

bool PromImage::hasBlock(std::uint32_t blockAddress) const {
    const Page* page = findPage(blockAddress >> kPageShift);
    const std::uint32_t b = (blockAddress & (kPageBytes - 1)) / PromBlock::kSize;
    return page != nullptr && ((page->present >> b) & 1u) != 0;
}

std::vector<PromBlock> PromImage::blocks() const {
    std::vector<std::uint32_t> numbers;
    numbers.reserve(pages_.size());
    for (const auto& entry : pages_)
        numbers.push_back(entry.first);
    std::sort(numbers.begin(), numbers.end());
    std::vector<PromBlock> out;
    out.reserve(blockCount_);
    for (std::uint32_t number : numbers) {
        const Page& page = *pages_.at(number);
        for (std::uint64_t rest = page.present; rest != 0; rest &= rest - 1) {
            const auto b = static_cast<std::uint32_t>(std::countr_zero(rest));
            PromBlock& block = out.emplace_back();
            block.address = (number << kPageShift) + b * PromBlock::kSize;
            std::memcpy(block.data.data(), page.bytes + b * PromBlock::kSize, PromBlock::kSize);
        }
    }
    return out;
}

void PromImage::clear() {
    pages_.clear();
    blockCount_ = 0;
    cachedPage_ = nullptr;
}

bool PromImage::operator==(const PromImage& other) const {
    return blockCount_ == other.blockCount_ && blocks() == other.blocks();
}

}  // namespace loom
