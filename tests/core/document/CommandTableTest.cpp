#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "document/CommandTable.h"

namespace loom {
namespace {

using C = CommandId;

// Every command whose enabling depends on the document, in every state that matters.
TEST(CommandTableTest, EnablingFollowsTheDocumentState) {
    struct Case {
        const char* name;
        bool hasTemplate;
        int comm;
        bool linkInUse;
        bool promDiffers;
        std::vector<C> enabled, disabled;
    };
    const Case cases[] = {
        {"no template",
         false,
         0,
         false,
         false,
         {C::ReadProm, C::ReadLog, C::New, C::ConnectTcp},
         {C::Save, C::SaveAsNew, C::PreviousPage, C::NextPage, C::WriteProm, C::WriteVerify,
          C::ViewLog}},
        {"no template, prom differs",
         false,
         0,
         false,
         true,
         {},
         {C::ShowFile, C::DifferencesPanel}},
        {"idle",
         true,
         0,
         false,
         false,
         {C::WriteVerify},
         {C::Disconnect, C::CancelTransfer, C::ShowProm, C::DifferencesPanel}},
        {"idle, prom differs", true, 0, false, true, {C::ShowProm}, {}},
        {"idle, linked", true, 0, true, false, {C::Disconnect}, {C::ConnectModem}},
        // A read runs: file commands and the PROM commands stop, the menu's print stays.
        {"reading",
         true,
         1,
         true,
         false,
         {C::Print, C::CancelTransfer},
         {C::New, C::Open, C::Save, C::SaveAsNew, C::PrintDirect, C::PrintPreview, C::ViewLog,
          C::ReadProm, C::WriteProm, C::WriteVerify, C::ReadLog, C::Disconnect}},
        // A write runs: the file commands stay.
        {"writing",
         true,
         2,
         true,
         true,
         {C::New, C::Save, C::SaveAsNew, C::PrintDirect, C::ShowFile, C::DifferencesPanel},
         {C::ReadProm, C::WriteProm, C::WriteVerify, C::ReadLog, C::Disconnect}},
    };
    for (const Case& c : cases) {
        CommandContext context;
        context.hasTemplate = c.hasTemplate;
        context.comm = c.comm;
        context.linkInUse = c.linkInUse;
        context.promDiffers = c.promDiffers;
        for (const bool want : {true, false})
            for (const C id : want ? c.enabled : c.disabled)
                EXPECT_EQ(commandState(id, context).enabled, want)
                    << c.name << ": command " << static_cast<int>(id);
    }
}

TEST(CommandTableTest, ChecksAndHelpFollowTheirFlags) {
    CommandContext context;
    context.hasTemplate = true;
    context.promDiffers = true;
    context.showingProm = true;
    context.toolBarShown = false;
    EXPECT_TRUE(commandState(C::ShowProm, context).checked);
    EXPECT_FALSE(commandState(C::ShowFile, context).checked);
    EXPECT_FALSE(commandState(C::ToolBar, context).checked);
    EXPECT_TRUE(commandState(C::StatusBar, context).checked);
    EXPECT_FALSE(commandState(C::DifferencesPanel, context).checked);
    context.differencesShown = true;
    EXPECT_TRUE(commandState(C::DifferencesPanel, context).checked);
    EXPECT_FALSE(commandState(C::SystemHelp, context).enabled);
    context.helpAvailable = true;
    EXPECT_TRUE(commandState(C::SystemHelp, context).enabled);
}

TEST(CommandTableTest, EveryMenuAndMenuItemHasAUniqueAccessKeyAndEveryToolButtonATip) {
    std::set<char> keys;
    std::set<char> itemKeys;  // of the menu being read
    for (const CommandEntry& e : menuEntries()) {
        if (e.kind == CommandEntry::Kind::Separator) continue;
        const auto amp = e.text.find('&');
        ASSERT_NE(amp, std::string::npos) << e.text;
        const char key = static_cast<char>(e.text[amp + 1] | 0x20);
        if (e.kind == CommandEntry::Kind::Menu) {
            EXPECT_TRUE(keys.insert(key).second) << e.text;
            itemKeys.clear();
        } else {
            EXPECT_TRUE(itemKeys.insert(key).second) << e.text;
        }
    }
    EXPECT_EQ(keys.size(), 8u);
    for (CommandId id : toolBarCommands()) {
        if (id == CommandId{}) continue;
        const CommandEntry* entry = commandEntry(id);
        ASSERT_NE(entry, nullptr);
        EXPECT_FALSE(entry->toolTip.empty()) << static_cast<int>(id);
    }
}

TEST(CommandTableTest, ActivityTurnsThroughFramesOneToElevenAndRestsOnZero) {
    ActivityFrames frames;
    EXPECT_TRUE(frames.start());
    EXPECT_FALSE(frames.start());
    EXPECT_EQ(frames.frame(), 1);
    for (int i = 0; i < 10; ++i)
        frames.tick();
    EXPECT_EQ(frames.frame(), 11);
    frames.tick();
    EXPECT_EQ(frames.frame(), 1);
    frames.stop();
    EXPECT_EQ(frames.frame(), 0);
    EXPECT_FALSE(frames.running());
}

}  // namespace
}  // namespace loom
