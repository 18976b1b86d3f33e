#pragma once

#include <string>
#include <string_view>

#include "fields/FieldRecord.h"
#include "fields/PromImage.h"
#include "fields/ValueCodec.h"

namespace loom {

// Places values into a PROM image and takes them out again. A field starts at bit k
// (the bit offset of its address) of its byte and runs through n = ceil((k + S) / 8)
// bytes; the bits around it in the first and last byte keep what the image held.
class FieldCodec {
  public:
    // Parses with the type's codec; on success lays the bits into the image, otherwise
    // leaves the image untouched. Address bit 31 is ignored: the caller decides whether
    // an address-less field belongs in an image.
    static CodecResult encode(unsigned type, std::string_view text, FieldAddress address,
                              FieldSize size, PromImage& image);
    static CodecResult decode(unsigned type, FieldAddress address, FieldSize size,
                              const PromImage& image, std::string& text);
    // The value as it comes back from the PROM (same as encoding into an empty image and
    // decoding again). False, with `out` untouched, when either step fails. A record read
    // from a data file has size 0 until merged with its template: normalise after that.
    static bool normalise(const FieldRecord& record, std::string& out);
};

inline bool normaliseValue(const FieldRecord& record, std::string& out) {
    return FieldCodec::normalise(record, out);
}

// The field model's names for the two operations.
inline CodecResult Encode(unsigned type, std::string_view text, FieldAddress address,
                          FieldSize size, PromImage& image) {
    return FieldCodec::encode(type, text, address, size, image);
}
inline CodecResult Decode(unsigned type, FieldAddress address, FieldSize size,
                          const PromImage& image, std::string& text) {
    return FieldCodec::decode(type, address, size, image, text);
}

}  // namespace loom
