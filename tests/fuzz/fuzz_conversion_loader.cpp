// A conversion file to the loader and, when it makes an entry, its program over a small
// image: no reading or writing outside the buffers, and work bounded by the length.
#include <algorithm>
#include <cstdint>

#include "conversion/ConversionList.h"
#include "fields/PromImage.h"

#include "FuzzHome.h"

using loom::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    loom::fuzz::MemoryFileSystem files;
    files.files["Convert/fuzz.cnv"] = loom::fuzz::Bytes(data, data + size);
    loom::ConversionList list;
    list.LoadConversions(files, "Convert");
    if (list.entries().empty()) return 0;
    const loom::ConversionEntry& entry = list.entries().front();
    check(list.FindConversion(entry.sourceModel, entry.targetModel) == &entry);
    check(!list.FindConversion(entry.sourceModel + "\x01", entry.targetModel) ||
          entry.sourceModel.size() >= loom::ConversionList::kModelLength);

    loom::PromImage image;
    const std::uint8_t sample[] = {0x47, 0x4C, 0x20, 0x32, 0x30, 0x30, 0x00, 0xFF,
                                   0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    for (std::uint32_t address : {0x0u, 0x100u, 0x7F0u, 0x1D000u, 0xFFFF8u, 0x100000u})
        image.write(address, sample);
    loom::ConversionList::Convert(image, entry);
    // What comes back lies below 1 MB, in blocks that are not all erased.
    for (const loom::PromBlock& block : image.blocks())
        check(block.address < 0x100000 && !std::all_of(block.data.begin(), block.data.end(),
                                                       [](std::uint8_t b) { return b == 0xFF; }));
    return 0;
}
