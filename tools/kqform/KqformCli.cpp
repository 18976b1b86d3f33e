#include "KqformCli.h"

#include <cstdint>
#include <new>
#include <optional>
#include <span>

#include "AtomicFile.h"
#include "Decompiler.h"
#include "SourceCompiler.h"
#include "SourceError.h"

namespace loom::kqform {
namespace {

constexpr const char* kUsage =
    "usage: kqform COMMAND ...\n"
    "\n"
    "Compiles template sources (.kqf) into templates (.FRM) and back.\n"
    "\n"
    "commands:\n"
    "  compile SOURCE -o FILE.FRM     compile a template source\n"
    "  decompile FILE.FRM [-o SOURCE] turn a template back into source\n"
    "\n"
    "Every command takes --help. Exit codes: 0 done, 1 input refused, 2 usage error.\n";

constexpr const char* kCompileUsage =
    "usage: kqform compile SOURCE -o FILE.FRM\n"
    "\n"
    "Compiles SOURCE into FILE.FRM. A faulty source is reported as SOURCE:LINE: message\n"
    "and nothing is written.\n";

constexpr const char* kDecompileUsage =
    "usage: kqform decompile FILE.FRM [-o SOURCE]\n"
    "\n"
    "Writes the source of a template (to standard output without -o). Compiling it gives\n"
    "back the same bytes.\n";

struct Arguments {
    std::string input;
    std::optional<std::string> output;
    bool help = false;
};

// Parses INPUT and -o/--output FILE; an error message when the arguments do not fit.
std::string parseArguments(std::span<const std::string> args, Arguments& parsed) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            parsed.help = true;
        } else if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size()) return a + " needs a file name";
            if (parsed.output) return "only one output file";
            parsed.output = args[++i];
        } else if (a.size() > 1 && a.front() == '-') {
            return "unknown option " + a;
        } else if (parsed.input.empty()) {
            parsed.input = a;
        } else {
            return "unexpected argument " + a;
        }
    }
    if (parsed.help) return {};
    if (parsed.input.empty()) return "input file missing";
    return {};
}

int compile(const Arguments& a, std::ostream& err) {
    if (!a.output) {
        err << "kqform compile: -o FILE.FRM missing\n" << kCompileUsage;
        return kExitUsage;
    }
    std::string source, error;
    if (!readWholeFile(a.input, source, error)) {
        err << "kqform: " << error << "\n";
        return kExitRefused;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = SourceCompiler::compile(source);
    } catch (const SourceError& e) {
        err << a.input << ":" << e.line() << ": " << e.what() << "\n";
        return kExitRefused;
    }
    error =
        writeFileAtomically(*a.output, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    if (!error.empty()) {
        err << "kqform: " << error << "\n";
        return kExitRefused;
    }
    return kExitOk;
}

int decompile(const Arguments& a, std::ostream& out, std::ostream& err) {
    std::string bytes, error;
    if (!readWholeFile(a.input, bytes, error)) {
        err << "kqform: " << error << "\n";
        return kExitRefused;
    }
    std::string source;
    try {
        source = Decompiler::decompile(
            {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, a.input);
    } catch (const TemplateRefused& e) {
        err << a.input << ": refused by the loader: " << e.what() << "\n";
        return kExitRefused;
    }
    if (!a.output) {
        out << source;
        return kExitOk;
    }
    error = writeFileAtomically(*a.output, source);
    if (!error.empty()) {
        err << "kqform: " << error << "\n";
        return kExitRefused;
    }
    return kExitOk;
}

}  // namespace

int runKqform(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return kExitUsage;
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return kExitOk;
    }
    if (command != "compile" && command != "decompile") {
        err << "kqform: unknown command " << command << "\n" << kUsage;
        return kExitUsage;
    }
    const char* usage = command == "compile" ? kCompileUsage : kDecompileUsage;
    Arguments parsed;
    std::string problem = parseArguments(std::span(args).subspan(1), parsed);
    if (!problem.empty()) {
        err << "kqform " << command << ": " << problem << "\n" << usage;
        return kExitUsage;
    }
    if (parsed.help) {
        out << usage;
        return kExitOk;
    }
    try {
        return command == "compile" ? compile(parsed, err) : decompile(parsed, out, err);
    } catch (const std::bad_alloc&) {
        err << "kqform: out of memory\n";
        return kExitRefused;
    }
}

}  // namespace loom::kqform
