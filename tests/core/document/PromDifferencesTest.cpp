// What the window learns of a PROM that differs from its archived file: the markers of a
// page and the list of differing fields, read from the simulated panel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fields/FieldCodec.h"
#include "support/DocumentTestBed.h"

namespace loom {
namespace {

constexpr FieldAddress kLanguage = 0x9Cu << 3;             // choice list, "0" Svenska
constexpr FieldAddress kUserCode = 0x400u << 3;            // masked edit field
constexpr FieldAddress kOutputFunction = 0x300u << 3;      // option group, "1" Siren
constexpr FieldAddress kReportArming = (0x541u << 3) | 3;  // check box, off

class PromDifferencesTest : public test::DocumentTestBed {
  protected:
    // Writes a new system into the panel, then changes `values` (UTF-8) in the panel's
    // PROM only and reads it back.
    void readChangedPanel(const std::map<FieldAddress, std::string>& values) {
        newSystem({{kCustomer, "Kund A"}});
        panelsim::PanelSimulator& panel = connectPanel();
        prompt_.answers = {Answer::Yes};
        ASSERT_TRUE(doc_->WriteProm());
        ASSERT_TRUE(finish());
        PromImage image = panel.image();
        for (const auto& [address, value] : values) {
            const FieldRecord* r = doc_->form()->store().find(address);
            ASSERT_NE(r, nullptr);
            ASSERT_EQ(Encode(r->type, utf8ToCp1252(value), address, r->size, image),
                      CodecResult::Ok);
        }
        panel.setImage(image);
        ASSERT_TRUE(doc_->ReadProm());
        ASSERT_TRUE(finish());
        ASSERT_EQ(lastMessage(), static_cast<int>(MessageId::ReadDoneDiffers));
    }

    int pageNamed(const std::string& name) const {
        for (int i = 0; i < doc_->pageCount(); ++i)
            if (cp1252ToUtf8(doc_->pageName(i)) == name) return i;
        ADD_FAILURE() << name;
        return -1;
    }

    // Page, caption, file's and PROM's value, UTF-8.
    std::vector<std::vector<std::string>> rows() const {
        std::vector<std::vector<std::string>> out;
        for (const DifferenceRow& r : doc_->differenceRows())
            out.push_back({cp1252ToUtf8(r.pageName), cp1252ToUtf8(r.caption),
                           cp1252ToUtf8(r.fileText), cp1252ToUtf8(r.promText)});
        return out;
    }
};

TEST_F(PromDifferencesTest, ListsAndMarksEachDifferingFieldWithBothValuesAsTheFormShowsThem) {
    readChangedPanel({{kCustomer, "Kund B"},
                      {kLanguage, "2"},
                      {kUserCode, "9876"},
                      {kOutputFunction, "2"},
                      {kReportArming, "1"}});
    const std::vector<std::vector<std::string>> expected = {
        {"Anläggning", "Kundnamn", "Kund A", "Kund B"},
        {"Anläggning", "Språk", "Svenska", "Danska"},
        {"Användare 1-8", "Användare 1, kod", "****", "****"},
        {"Utgångar", "Utgång 1, funktion", "Siren", "Blixtljus"},
        {"Överföring", "Till- och frånkoppling", "Av", "På"},
    };
    EXPECT_EQ(rows(), expected);

    // Marks sit at the left edge and top of the controls that show the fields, an option
    // group's at its first button; a page without differences has none.
    for (const auto& [page, fields] :
         std::vector<std::pair<std::string, std::vector<FieldAddress>>>{
             {"Anläggning", {kCustomer, kLanguage}},
             {"Utgångar", {kOutputFunction}},
             {"Tider", {}}}) {
        const int index = pageNamed(page);
        const std::vector<DifferenceMark> marks = doc_->differenceMarks(index);
        ASSERT_EQ(marks.size(), fields.size()) << page;
        for (std::size_t i = 0; i < marks.size(); ++i) {
            const FormControl* shown = doc_->fieldControl(index, fields[i]);
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(marks[i].control, shown);
            EXPECT_EQ(marks[i].x, shown->rect.x);
            EXPECT_EQ(marks[i].y, shown->rect.y);
        }
    }
    // Whichever value set is shown, the file's values stay the file's.
    doc_->ShowFile();
    ASSERT_EQ(value(kCustomer), "Kund A");
    EXPECT_EQ(rows(), expected);

    ASSERT_TRUE(doc_->Save());
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(doc_->differenceMarks(pageNamed("Anläggning")).empty());
}

}  // namespace
}  // namespace loom
