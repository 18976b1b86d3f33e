#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "document/CommandTable.h"

namespace loom {
namespace {

using C = CommandId;

// Every command whose enabling depends on the document, in every state that matters.
TEST(CommandTableTest, EnablingFollowsTheDocumentState) {
    struct Case {
        C id;
        bool hasTemplate;
        int comm;
        bool linkInUse;
        bool promDiffers;
        bool enabled;
    };
    const Case cases[] = {
        // No template yet.
        {C::Save, false, 0, false, false, false},
        {C::SaveAsNew, false, 0, false, false, false},
        {C::PreviousPage, false, 0, false, false, false},
        {C::NextPage, false, 0, false, false, false},
        {C::WriteProm, false, 0, false, false, false},
        {C::WriteVerify, false, 0, false, false, false},
        {C::WriteVerify, true, 0, false, false, true},
        {C::ViewLog, false, 0, false, false, false},
        {C::ReadProm, false, 0, false, false, true},
        {C::ReadLog, false, 0, false, false, true},
        {C::New, false, 0, false, false, true},
        // A read runs: file commands and the PROM commands stop, the menu's print stays.
        {C::New, true, 1, false, false, false},
        {C::Open, true, 1, false, false, false},
        {C::Save, true, 1, false, false, false},
        {C::SaveAsNew, true, 1, false, false, false},
        {C::PrintDirect, true, 1, false, false, false},
        {C::PrintPreview, true, 1, false, false, false},
        {C::ViewLog, true, 1, false, false, false},
        {C::ReadProm, true, 1, false, false, false},
        {C::WriteProm, true, 1, false, false, false},
        {C::WriteVerify, true, 1, false, false, false},
        {C::ReadLog, true, 1, false, false, false},
        {C::Print, true, 1, false, false, true},
        {C::CancelTransfer, true, 1, false, false, true},
        // A write runs: the file commands stay.
        {C::New, true, 2, false, false, true},
        {C::Save, true, 2, false, false, true},
        {C::SaveAsNew, true, 2, false, false, true},
        {C::PrintDirect, true, 2, false, false, true},
        {C::ReadProm, true, 2, false, false, false},
        {C::WriteProm, true, 2, false, false, false},
        {C::WriteVerify, true, 2, false, false, false},
        {C::ReadLog, true, 2, false, false, false},
        // The link.
        {C::Disconnect, true, 0, false, false, false},
        {C::Disconnect, true, 0, true, false, true},
        {C::Disconnect, true, 2, true, false, false},
        {C::Disconnect, true, 1, true, false, false},
        {C::ConnectModem, true, 0, true, false, false},
        {C::ConnectTcp, false, 0, false, false, true},
        {C::CancelTransfer, true, 0, false, false, false},
        // PROM values beside the file's.
        {C::ShowProm, true, 0, false, false, false},
        {C::ShowProm, true, 0, false, true, true},
        {C::ShowFile, false, 0, false, true, false},
        {C::ShowFile, true, 2, false, true, true},
        {C::DifferencesPanel, true, 0, false, false, false},
        {C::DifferencesPanel, false, 0, false, true, false},
        {C::DifferencesPanel, true, 2, false, true, true},
    };
    for (const Case& c : cases) {
        CommandContext context;
        context.hasTemplate = c.hasTemplate;
        context.comm = c.comm;
        context.linkInUse = c.linkInUse;
        context.promDiffers = c.promDiffers;
        EXPECT_EQ(commandState(c.id, context).enabled, c.enabled)
            << static_cast<int>(c.id) << " template " << c.hasTemplate << " comm " << c.comm
            << " link " << c.linkInUse << " differs " << c.promDiffers;
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
