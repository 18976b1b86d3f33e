#pragma once

#include <string>
#include <vector>

namespace loom {

// The program's commands by their numbers, as menus, toolbar and keys reach them.
enum class CommandId : int {
    New = 57600,
    Open = 57601,
    Save = 57603,
    SaveAsNew = 57604,
    PrintSetup = 57606,
    Print = 57607,
    PrintDirect = 57608,
    PrintPreview = 57609,
    Exit = 57665,
    Export = 32775,
    Import = 32774,
    PreviousPage = 32773,
    NextPage = 32776,
    ReadProm = 32777,
    WriteProm = 32778,
    WriteVerify = 32850,
    ReadLog = 32840,
    ConnectModem = 32842,
    ConnectTcp = 32846,
    Disconnect = 32787,
    ToolBar = 59392,
    StatusBar = 59393,
    ShowProm = 32779,
    ShowFile = 32780,
    DifferencesPanel = 32851,
    ViewLog = 32841,
    Port = 32806,
    ComputerId = 32807,
    PrintFormat = 32836,
    CreateIndex = 32800,
    OwnPassword = 32804,
    Users = 32805,
    SystemPassword = 32802,
    HelpTopics = 57667,
    SystemHelp = 32811,
    About = 57664,
    NextField = 32793,
    PreviousField = 32794,
    ToggleInsert = 32799,
    CancelTransfer = 32815,
};

// What the enabling of the commands depends on.
struct CommandContext {
    bool hasTemplate = false;
    int comm = 0;  // 0 idle, 1 a PROM or log read runs, 2 a PROM write runs
    bool linkInUse = false;
    bool promDiffers = false;
    bool showingProm = false;
    bool helpAvailable = false;
    bool differencesShown = false;  // the list of differences between file and PROM
    bool toolBarShown = true;
    bool statusBarShown = true;
};

struct CommandState {
    bool enabled = true;
    bool checked = false;
};

CommandState commandState(CommandId id, const CommandContext& context);

// One entry of the menu bar or of the toolbar. Texts are code page 1252; `text` carries
// the access key after '&', `keys` the shortcut in the platform's portable notation.
struct CommandEntry {
    enum class Kind { Command, Separator, Menu };
    Kind kind = Kind::Command;
    CommandId id{};
    std::string text;
    std::string keys;
    std::string statusTip;
    std::string toolTip;
    bool checkable = false;
    bool radio = false;
};

// The menu bar: each menu entry is followed by its items up to the next menu entry.
const std::vector<CommandEntry>& menuEntries();
// The toolbar's buttons and separators, in their order.
const std::vector<CommandId>& toolBarCommands();
// The entry of a command (its texts), or null for a command without one.
const CommandEntry* commandEntry(CommandId id);

// The toolbar's activity indicator: frame 0 idle, frames 1..count-1 turning.
class ActivityFrames {
  public:
    explicit ActivityFrames(int count = 12) : count_(count) {}
    // Starts at frame 1 when it can turn at all; false when already running or no frames.
    bool start();
    void tick();
    void stop();
    bool running() const { return running_; }
    int frame() const { return frame_; }

  private:
    int count_;
    int frame_ = 0;
    bool running_ = false;
};

}  // namespace loom
