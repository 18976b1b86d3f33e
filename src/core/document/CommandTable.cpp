#include "document/CommandTable.h"

#include <algorithm>

#include "common/Cp1252.h"

namespace loom {
namespace {

using Kind = CommandEntry::Kind;

// UTF-8 here for the reader; the table hands out code page 1252.
struct Row {
    Kind kind;
    CommandId id;
    const char* text;
    const char* keys;
    const char* statusTip;
    const char* toolTip;
    bool checkable;
    bool radio;
};

constexpr Row menu(const char* title) {
    return {Kind::Menu, CommandId{}, title, "", "", "", false, false};
}
constexpr Row item(CommandId id, const char* text, const char* keys, const char* statusTip,
                   const char* toolTip = "") {
    return {Kind::Command, id, text, keys, statusTip, toolTip, false, false};
}
constexpr Row toggle(CommandId id, const char* text, const char* statusTip, bool radio) {
    return {Kind::Command, id, text, "", statusTip, "", true, radio};
}
constexpr Row separator() {
    return {Kind::Separator, CommandId{}, "", "", "", "", false, false};
}

// Menu texts, keys and toolbar tips as the program has always had them. "Skriv ut" takes
// its access key from "ut" so that it does not clash with "Spara".
const Row kRows[] = {
    menu("&Arkiv"),
    item(CommandId::New, "&Ny...", "Ctrl+N", "Skapa ett nytt system", "Ny fil"),
    item(CommandId::Open, "&Öppna...", "Ctrl+O", "Sök och öppna ett system", "Öppna fil"),
    item(CommandId::Save, "&Spara", "Ctrl+S", "Spara systemet", "Spara fil"),
    item(CommandId::SaveAsNew, "Spara so&m ny", "", "Spara systemet som ett nytt system"),
    separator(),
    item(CommandId::Print, "Skriv &ut...", "Ctrl+P", "Skriv ut systemets sidor", "Skriv ut"),
    item(CommandId::PrintPreview, "&Förhandsgranska", "", "Visar hela sidor", "Förhandsgranska"),
    item(CommandId::PrintSetup, "&Välj skrivare...", "", "Välj skrivare och dess inställningar"),
    separator(),
    item(CommandId::Export, "&Exportera...", "", "Exportera system till en annan katalog"),
    item(CommandId::Import, "&Importera...", "", "Importera system från en annan katalog"),
    separator(),
    item(CommandId::Exit, "&Avsluta", "", "Avsluta programmet"),
    menu("&Sida"),
    item(CommandId::PreviousPage, "&Föregående", "PgUp", "Visa föregående sida", "Föregående"),
    item(CommandId::NextPage, "&Nästa", "PgDown", "Visa nästa sida", "Nästa"),
    menu("&Prom"),
    item(CommandId::ReadProm, "&Läs", "", "Läs centralens prom", "Läs prom"),
    item(CommandId::WriteProm, "&Skriv", "", "Skriv systemet till centralens prom", "Skriv prom"),
    item(CommandId::WriteVerify, "Skriv och &kontrollera", "",
         "Skriv promet och läs tillbaka det för kontroll"),
    item(CommandId::ReadLog, "Läs Lo&gg", "", "Läs centralens händelselogg"),
    menu("&Uppkoppling"),
    item(CommandId::ConnectModem, "Koppla upp via &Modem", "", "Ring upp centralen via modem"),
    item(CommandId::ConnectTcp, "Koppla upp via &TCP/IP", "",
         "Koppla upp mot centralen via TCP/IP"),
    item(CommandId::Disconnect, "&Koppla ner", "", "Koppla ner förbindelsen med centralen",
         "Koppla ner"),
    menu("&Visa"),
    toggle(CommandId::ToolBar, "&Verktygsfältet", "Visa eller dölj verktygsfältet", false),
    toggle(CommandId::StatusBar, "&Statusfältet", "Visa eller dölj statusfältet", false),
    separator(),
    toggle(CommandId::ShowProm, "&Prom", "Visa värdena som lästes från promet", true),
    toggle(CommandId::ShowFile, "&Fil", "Visa filens värden", true),
    toggle(CommandId::DifferencesPanel, "S&killnader",
           "Visa fälten som skiljer sig mellan filen och promet", false),
    separator(),
    item(CommandId::ViewLog, "&Logg", "", "Visa systemets händelselogg"),
    menu("&Inställningar"),
    item(CommandId::Port, "&Port...", "", "Välj kommunikationsport och produkt"),
    item(CommandId::ComputerId, "&Datorns ID...", "", "Ange datorns ID-bokstav"),
    item(CommandId::PrintFormat, "&Utskriftsformat...", "",
         "Ange marginal, kolumnbredd och typsnitt"),
    item(CommandId::CreateIndex, "&Skapa index", "", "Skapa om arkivets index"),
    menu("Sä&kerhet"),
    item(CommandId::OwnPassword, "&Personligt lösen...", "", "Ändra ditt eget lösenord"),
    item(CommandId::Users, "&Användare...", "", "Ändra vilka användare som får använda programmet"),
    item(CommandId::SystemPassword, "&Systemlösen...", "", "Ändra systemlösenordet",
         "Ändra systemlösenordet"),
    menu("&Hjälp"),
    item(CommandId::HelpTopics, "&Hjälpavsnitt", "F1", "Visa programmets hjälp"),
    item(CommandId::SystemHelp, "Aktuellt &system", "", "Visa hjälpen för aktuellt system"),
    separator(),
    item(CommandId::About, "&Om Loomcraft...", "", "Visa programinformation och version"),
};

// Commands with texts but no menu item.
const Row kHidden[] = {
    item(CommandId::CancelTransfer, "", "", "Avbryt pågående sändning", "Avbryt sändning"),
    item(CommandId::PrintDirect, "", "", "Skriv ut aktuell fil", "Skriv ut"),
};

CommandEntry entryOf(const Row& row) {
    return {row.kind,
            row.id,
            utf8ToCp1252(row.text),
            row.keys,
            utf8ToCp1252(row.statusTip),
            utf8ToCp1252(row.toolTip),
            row.checkable,
            row.radio};
}

template <std::size_t N>
std::vector<CommandEntry> entriesOf(const Row (&rows)[N]) {
    std::vector<CommandEntry> out;
    for (const Row& row : rows)
        out.push_back(entryOf(row));
    return out;
}

const std::vector<CommandEntry>& hiddenEntries() {
    static const std::vector<CommandEntry> entries = entriesOf(kHidden);
    return entries;
}

}  // namespace

CommandState commandState(CommandId id, const CommandContext& c) {
    const bool notReading = c.comm != 1;
    const bool idle = c.comm == 0;
    switch (id) {
        case CommandId::New:
        case CommandId::Open:
            return {notReading, false};
        case CommandId::Save:
        case CommandId::SaveAsNew:
        case CommandId::PrintDirect:
        case CommandId::PrintPreview:
        case CommandId::ViewLog:
            return {c.hasTemplate && notReading, false};
        case CommandId::PreviousPage:
        case CommandId::NextPage:
            return {c.hasTemplate, false};
        case CommandId::ReadProm:
        case CommandId::ReadLog:
            return {idle, false};
        case CommandId::WriteProm:
        case CommandId::WriteVerify:
            return {c.hasTemplate && idle, false};
        case CommandId::ConnectModem:
        case CommandId::ConnectTcp:
            return {!c.linkInUse, false};
        case CommandId::Disconnect:
            return {c.linkInUse && idle, false};
        case CommandId::ToolBar:
            return {true, c.toolBarShown};
        case CommandId::StatusBar:
            return {true, c.statusBarShown};
        case CommandId::ShowProm:
            return {c.promDiffers && c.hasTemplate, c.showingProm};
        case CommandId::ShowFile:
            return {c.promDiffers && c.hasTemplate, !c.showingProm};
        case CommandId::DifferencesPanel:
            return {c.promDiffers && c.hasTemplate, c.differencesShown};
        case CommandId::SystemHelp:
            return {c.hasTemplate && c.helpAvailable, false};
        case CommandId::CancelTransfer:
            return {!idle, false};
        default:
            return {true, false};
    }
}

const std::vector<CommandEntry>& menuEntries() {
    static const std::vector<CommandEntry> entries = entriesOf(kRows);
    return entries;
}

const std::vector<CommandId>& toolBarCommands() {
    // CommandId{} (0) is a separator.
    static const std::vector<CommandId> ids = {
        CommandId::New,   CommandId::Open,     CommandId::Save,         CommandId{},
        CommandId::Print, CommandId{},         CommandId::PreviousPage, CommandId::NextPage,
        CommandId{},      CommandId::ReadProm, CommandId::WriteProm,    CommandId::Disconnect};
    return ids;
}

const CommandEntry* commandEntry(CommandId id) {
    for (const auto* list : {&menuEntries(), &hiddenEntries()}) {
        auto it = std::find_if(list->begin(), list->end(), [id](const CommandEntry& e) {
            return e.kind == Kind::Command && e.id == id;
        });
        if (it != list->end()) return &*it;
    }
    return nullptr;
}

bool ActivityFrames::start() {
    if (running_ || count_ < 1) return false;
    frame_ = count_ > 1 ? 1 : 0;
    running_ = true;
    return true;
}

void ActivityFrames::tick() {
    if (!running_) return;
    frame_ = frame_ + 1 < count_ ? frame_ + 1 : (count_ > 1 ? 1 : 0);
}

void ActivityFrames::stop() {
    running_ = false;
    frame_ = 0;
}

}  // namespace loom
