// The event log window's inputs from the open document.
#include <gtest/gtest.h>

#include "datafile/LabelTable.h"
#include "eventlog/DecodeRecord.h"
#include "eventlog/LogFile.h"
#include "support/DocumentTestBed.h"

namespace loom {
namespace {

class PromDocumentLogTest : public test::DocumentTestBed {};

// User 1 arming area 2 (GL 200's event texts name the area from the PROM image).
const char* const kArming = "201E2D0E0F060901FDFFFFFFFFFFFFFF";
constexpr FieldAddress kArea2Name = 0x1D010u << 3;

TEST_F(PromDocumentLogTest, TheLogImageNamesWithTheValuesShownNotTheSavedOnes) {
    EXPECT_TRUE(doc_->logImage().empty());  // no template yet
    newSystem({{kArea2Name, "Lager"}});
    doc_->form()->store().find(kArea2Name)->value = utf8ToCp1252("Källare");

    const PromImage image = doc_->logImage();
    const DecodedRecord decoded =
        DecodeRecord(LogFile::parseLine(kArming), context_.eventTexts(), &image, context_.labels());
    EXPECT_NE(cp1252ToUtf8(decoded.text).find("Område: 2: Källare"), std::string::npos)
        << cp1252ToUtf8(decoded.text);

    doc_->ViewLog();
    ASSERT_EQ(view_.logWindows.size(), 1u);
    EXPECT_EQ(view_.logWindows[0], doc_->LogFilePath());
    EXPECT_EQ(view_.logWindows[0].parent_path(), home_ / "LOG");
}

}  // namespace
}  // namespace loom
