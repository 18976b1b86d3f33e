#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "platform/Clock.h"
#include "support/FailingFileSystem.h"
#include "support/RecordingPrompt.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "template/TemplateWriter.h"

namespace loom::test {

// A program directory with FILES, FORMS and INDEX, a disk that fails on demand, a fixed
// clock one hour east of UTC, a recording prompt and scripted dialogs.
class ArchiveHome : public ::testing::Test {
  protected:
    ArchiveHome() : home_(temp_.path("home")), context_(prompt_) {
        for (const char* folder : {"FILES", "FORMS", "INDEX"})
            std::filesystem::create_directories(home_ / folder);
        context_.setFileSystem(files_);
        context_.setClock(clock_);
        context_.setDialogs(dialogs_);
        context_.setProgramDirectory(ProgramDirectory(home_));
    }

    std::filesystem::path files() const { return home_ / "FILES"; }
    std::filesystem::path dataIndex() const { return home_ / "INDEX" / "DATA.KQI"; }
    std::filesystem::path formIndex() const { return home_ / "INDEX" / "FORM.KQI"; }

    static std::string readText(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void writeText(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }

    // A data file `key`.KQD in `folder` (FILES by default) with the given UTF-8 values; the
    // first `indexed` of them are indexed. Writing it stores its DATA.KQI line.
    void writeData(const std::string& key, const std::vector<std::string>& values,
                   std::size_t indexed, const std::filesystem::path& folder = {}) {
        FieldStore store;
        for (std::size_t i = 0; i < values.size(); ++i) {
            FieldRecord& r = store.findOrCreate(kAddresslessBit | static_cast<FieldAddress>(i + 1));
            r.flags = i < indexed ? kFieldFlagDisplayName : 0;
            r.value = utf8ToCp1252(values[i]);
        }
        const std::filesystem::path dir = folder.empty() ? files() : folder;
        std::filesystem::create_directories(dir);
        DataFile data(context_);
        ASSERT_TRUE(data.Write(dir / (key + ".KQD"), "ALFA 2000", "", store, true));
    }

    // A template in FORMS with the given header texts (UTF-8) and an empty body.
    void writeTemplate(const std::string& file, const std::string& name, const std::string& title) {
        TemplateWriter writer;
        writer.header(utf8ToCp1252(name), utf8ToCp1252(title)).end();
        const std::vector<std::uint8_t> bytes = writer.finish();
        std::ofstream(home_ / "FORMS" / file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    std::vector<std::string> utf8(const std::vector<std::string>& lines) const {
        std::vector<std::string> out;
        for (const std::string& l : lines)
            out.push_back(cp1252ToUtf8(l));
        return out;
    }

    TempDir temp_;
    std::filesystem::path home_;
    RecordingPrompt prompt_;
    ScriptedDialogs dialogs_{prompt_};
    FailingFileSystem files_;
    FixedClock clock_{1700000000, 3600};
    AppContext context_;
};

}  // namespace loom::test
