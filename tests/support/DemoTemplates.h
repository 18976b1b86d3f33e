#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "SourceCompiler.h"
#include "support/TempDir.h"

namespace loom::test {

// The readable source of a demo template ("GL200", "VT340").
inline std::string demoTemplateSource(const std::string& name) {
    return readFile(std::filesystem::path(LOOM_DEMO_DIR) / "forms" / (name + ".kqf"));
}

// Compiles template source into FORMS/<file> of a program directory.
inline void installTemplate(const std::filesystem::path& home, const std::string& file,
                            const std::string& source) {
    const std::vector<std::uint8_t> bytes = kqform::SourceCompiler::compile(source);
    writeFile(home / "FORMS" / file, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

// Builds a demo conversion ("GL200_VT340") into Convert/ of a program directory.
inline void installDemoConversion(const std::filesystem::path& home, const std::string& name) {
    std::filesystem::create_directories(home / "Convert");
    const std::string cmd = std::string(LOOM_MAKE_CONVERSION) + " " + LOOM_DEMO_DIR + "/convert/" +
                            name + ".txt -o " + (home / "Convert").string() + "/" + name + ".cnv";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
}

}  // namespace loom::test
