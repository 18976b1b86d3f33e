#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "CliCommand.h"
#include "CliText.h"
#include "common/Cp1252.h"
#include "fields/FieldCodec.h"
#include "fields/PromImage.h"
#include "fields/ValueCodec.h"

namespace loom::cli {
namespace {

struct ValueOptions {
    unsigned type = 0;
    std::uint32_t bits = 0;
    unsigned offset = 0;
    std::string over;
    std::string input;  // TEXT for encode, HEX for decode
};

void addFieldOptions(CLI::App& cmd, ValueOptions& o) {
    cmd.add_option("--type", o.type, "Value type 0-9 (higher types have no codec: result 1)")
        ->required()
        ->check(CLI::Range(0, 255));
    cmd.add_option("--size", o.bits, "Field size in bits")
        ->required()
        ->check(CLI::Range(0u, 0x7FFFFFFFu));
    cmd.add_option("--offset", o.offset, "Bit offset 0-7 of the field in byte 0 (default 0)")
        ->check(CLI::Range(0, 7));
}

// The field lives at byte 0; FieldSize and the bit count coincide below bit 31.
FieldAddress fieldAddress(const ValueOptions& o) {
    return o.offset;
}

void runEncode(CliContext& ctx, const ValueOptions& o, bool overGiven) {
    std::vector<std::uint8_t> over;
    if (overGiven && !parseHexBytes(o.over, over)) {
        ctx.err << "fel: --over är ingen lista av hexadecimala byte: " << o.over << "\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    bool lossy = false;
    const std::string text = utf8ToCp1252(o.input, &lossy);
    if (lossy) {
        ctx.err << "fel: texten har tecken utanför teckentabell 1252\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    PromImage image;
    image.write(0, over);  // bytes not given read 0xFF, like erased PROM
    const CodecResult r = Encode(o.type, text, fieldAddress(o), o.bits, image);
    ctx.out << static_cast<int>(r);
    // The field's bytes as they stand after the call: placed on success, the --over bytes
    // unchanged on a refusal, so a script always gets one byte list of the same length.
    // A size beyond what any codec takes prints the result alone.
    const std::uint64_t n = (std::uint64_t{o.offset} + o.bits + 7) / 8;
    if (n <= ValueCodec::kMaxFieldBytes + 1) {
        for (std::uint8_t b : image.read(0, static_cast<std::size_t>(n)))
            ctx.out << ' ' << hexOf(b);
    }
    ctx.out << "\n";
}

void runDecode(CliContext& ctx, const ValueOptions& o) {
    std::vector<std::uint8_t> bytes;
    if (!parseHexBytes(o.input, bytes)) {
        ctx.err << "fel: ingen lista av hexadecimala byte: " << o.input << "\n";
        ctx.exitCode = kExitRefused;
        return;
    }
    PromImage image;
    image.write(0, bytes);
    std::string text;
    const CodecResult r = Decode(o.type, fieldAddress(o), o.bits, image, text);
    if (r != CodecResult::Ok) text.clear();
    ctx.out << static_cast<int>(r) << ' ' << escapeControls(cp1252ToUtf8(text)) << "\n";
}

}  // namespace

void registerValueCommands(CLI::App& app, CliContext& ctx) {
    CLI::App* value = app.add_subcommand(
        "value", "Encode and decode field values the way they are placed in the PROM");
    value->require_subcommand(1);

    auto enc = std::make_shared<ValueOptions>();
    CLI::App* encode = value->add_subcommand(
        "encode",
        "Place TEXT into bytes. Prints the codec result (0 ok, 1 bad character, 2 does not "
        "fit) and the ceil((offset+size)/8) bytes of the field in hexadecimal: placed on 0, "
        "the --over bytes unchanged otherwise");
    addFieldOptions(*encode, *enc);
    CLI::Option* overOpt = encode->add_option(
        "--over", enc->over,
        "Bytes the field is placed over, in hexadecimal (default all FF; missing bytes are FF)");
    encode->add_option("text", enc->input, "The value (UTF-8)")->required();
    encode->callback([&ctx, enc, overOpt] { runEncode(ctx, *enc, overOpt->count() > 0); });

    auto dec = std::make_shared<ValueOptions>();
    CLI::App* decode = value->add_subcommand(
        "decode",
        "Take a value out of HEX bytes. Prints the codec result and the text (UTF-8), "
        "separated by one blank, on one line: control characters as \\n, \\r, \\t or "
        "\\xHH, a backslash doubled; missing bytes read FF");
    addFieldOptions(*decode, *dec);
    decode->add_option("hex", dec->input, "The bytes in hexadecimal, blanks allowed")->required();
    decode->callback([&ctx, dec] { runDecode(ctx, *dec); });
}

}  // namespace loom::cli
