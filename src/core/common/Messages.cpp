#include "common/Messages.h"

#include <array>
#include <utility>

#include "common/Cp1252.h"

namespace loom {
namespace {

// Written here in UTF-8 for readability; handed out as code page 1252.
constexpr std::pair<MessageId, std::string_view> kCatalogue[] = {
    {MessageId::CannotOpenFile, "Kan inte öppna filen.\nfil: %s"},
    {MessageId::TooManyChars, "För många tecken har matats in.\nMax antal tecken = %d."},
    {MessageId::TooFewChars, "För få tecken har matats in.\nMin antal tecken = %d."},
    {MessageId::ValueTooLarge, "För stort värde har matats in.\nHögsta tillåtna värde = %d."},
    {MessageId::ValueTooSmall, "För litet värde har matats in.\nMinsta tillåtna värde = %d."},
    {MessageId::NotATemplate, "Filen är inte en mall.\nfil: %s"},
    {MessageId::NotADataFile, "Filen är inte en datafil."},
    {MessageId::MonthJanuary, "januari"},
    {MessageId{17}, "februari"},
    {MessageId{18}, "mars"},
    {MessageId{19}, "april"},
    {MessageId{20}, "maj"},
    {MessageId{21}, "juni"},
    {MessageId{22}, "juli"},
    {MessageId{23}, "augusti"},
    {MessageId{24}, "september"},
    {MessageId{25}, "oktober"},
    {MessageId{26}, "november"},
    {MessageId::MonthDecember, "december"},
    {MessageId::ConfirmDelete,
     "Filen kommer att raderas.\nÄr du säker på att du vill ta bort filen?"},
    {MessageId::FileDeleted, "Filen har raderats."},
    {MessageId::FileNotDeleted, "Filen har inte raderats."},
    {MessageId::SearchWithoutIndex,
     "En sökning utan att använda indexet kan ta mycket lång tid.\nVill du söka ändå?"},
    {MessageId::NoSystemsFound,
     "Inga system hittades.\n\nOm nya system har lagts till kan du försöka med "
     "menyalternativet \"skapa index\" under \"inställningar\"."},
    {MessageId::TemplateNotFound,
     "Kan inte hitta mallen till sökt system.\nsystem: %s.\n\nVill du använda en annan mall?"},
    {MessageId::SaveChanges, "Filen har ändrats, vill du spara den?"},
    {MessageId::CannotParse, "Filen kan inte tolkas.\nfil: %s"},
    {MessageId::BadChecksum, "Filens checksumma är fel\n(filen har ändrats)."},
    {MessageId::WrongTemplateVersion, "Mallen är av en felaktig version och måste kompileras om."},
    {MessageId::ConfirmReindex,
     "Det kan ta lång tid att skapa index. Den här funktionen bör bara användas om du tror att "
     "indexet är felaktigt.\n\nVill du skapa ett nytt index?"},
    {MessageId::IndexNotCreated, "Indexet kunde inte skapas."},
    {MessageId::NoFilesFound, "Inga filer hittades."},
    {MessageId::MissingClosingQuote, "Avslutande citattecken saknas.\n\nFunna sökord:\n%s"},
    {MessageId::WrongPassword, "Felaktigt lösenord."},
    {MessageId::PasswordsDiffer, "Det nya lösenordet och verifieringen är olika."},
    {MessageId::PasswordFileMissing, "Filen med lösenord saknas eller är felaktig."},
    {MessageId::PasswordFileNotCreated, "Lösenordsfilen kunde inte skapas."},
    {MessageId::PasswordFileCreated,
     "Lösenordsfilen har skapats, för att kunna logga in i programmet måste även tillåtna "
     "användare och deras lösenord anges. Det görs via knappen \"Användare...\" i "
     "loginfönstret."},
    {MessageId::SystemPasswordName, "Systemlösen"},
    {MessageId::CreatePasswordFile,
     "Filen med lösenord saknas eller är felaktig. För att kunna logga in i programmet måste "
     "en ny lösenordsfil skapas.\n\nVill du skapa en ny lösenordsfil nu?"},
    {MessageId::EmptyUser,
     "Både användarnamn och lösenord är tomt.\nVill du verkligen lägga in det i "
     "lösenordsfilen?"},
    {MessageId::PasswordChangeFailed, "Ändringen av lösenordet misslyckades."},
    {MessageId::ComputerIdMissing,
     "Datorns id-tecken saknas. För att kunna se på vilken dator en fil skapats bör ett "
     "id-tecken anges."},
    {MessageId::FolderMissing, "Angiven katalog finns inte."},
    {MessageId::BadExportDate,
     "Felaktigt datum.\nDatumet måste ges på formen ÅÅÅÅ-MM-DD\n\nt ex julafton 1997 skrivs som "
     "1997-12-24."},
    {MessageId::SaveBeforeExport,
     "Filen har ändrats. För att ändringarna ska komma med måste filen sparas.\nVill du spara "
     "filen?"},
    {MessageId::FilesCopied, "%d filer har kopierats.\n%d filer har inte kopierats."},
    {MessageId::RetryCopy,
     "\nVill du försöka igen? \"Nej\" hoppar över aktuell fil,\n\"Avbryt\" hoppar över alla "
     "resterande filer."},
    {MessageId::OtherFolder,
     "Filen är från en annan katalog än programmets normala datakatalog.\n\nVill du spara filen "
     "till den normala datakatalogen i stället?\n\nOm du väljer \"ja\" kommer eventuell\nbefintlig "
     "fil i datakatalogen skrivas över."},
    {MessageId::TransferRunning, "Kommunikation med prom pågår."},
    {MessageId::CloseDuringTransfer,
     "Kommunikation med prom pågår. Om programmet\navslutas kommer kommunikationen "
     "avbrytas.\nVill du avsluta programmet?"},
    {MessageId::ConfirmCancelTransfer,
     "Är du säker på att du vill avbryta\növerföringen till promet?"},
    {MessageId::PortCannotOpen, "Kommunikationsporten kan inte öppnas."},
    {MessageId::ConfirmSystemPasswordChange,
     "Om systemlösenordet ändras krypteras alla filer om.\nÄr du säker på att du vill ändra "
     "systemlösenordet?"},
    {MessageId::UnknownVersion, "Filen har ett okänt versionsnummer."},
    {MessageId::CannotSaveFile, "Kan inte spara filen.\nfil: %s"},
    {MessageId::CannotReadFile, "Kan inte läsa filen.\nfil: %s"},
    {MessageId::Reencipher, "Befintliga datafiler kommer att krypteras om."},
    {MessageId::CannotCreateFonts, "Okänt fel. Kan inte skapa nya fonter."},
    {MessageId::ModelMismatch,
     "Promet och mallen är av olika produktmodeller.\nSändningen avbryts.\nProm:\t%s\nFil:\t%s"},
    {MessageId::ReadDoneNoFile,
     "Nedläsning klar!\nDatafilens ID har jämförts mot Loomcrafts databas.\nIngen fil med samma "
     "ID finns i databasen sedan tidigare."},
    {MessageId::ReadDoneIdentical,
     "Nedläsning klar!\nDatafilens ID har jämförts mot Loomcrafts databas.\nEn identisk fil med "
     "samma ID hittades."},
    {MessageId::ReadDoneDiffers,
     "Nedläsning klar!\nDatafilens ID har jämförts mot Loomcrafts databas.\nEn fil med detta ID "
     "hittades, men det finns skillnader."},
    {MessageId::TransferAborted, "Sändningen avbröts."},
    {MessageId::AlsoSave, "Vill du även spara filen?"},
    {MessageId::WriteCaption, "Skriv till prom"},
    {MessageId::ReadCaption, "Läs från prom"},
    {MessageId::TcpCannotOpen, "Kommunikation via TCP/IP kan inte öppnas."},
    {MessageId::WriteDone, "Skrivning klar!"},
    {MessageId::FileInformation, "Filinformation"},
    {MessageId::PrintProduct, "Produkt: "},
    {MessageId::PrintCreated, "Skapad :"},
    {MessageId::PrintComputer, "Dator: "},
    {MessageId::PrintChanged, "Ändrad: "},
    {MessageId::ConvertQuestion,
     "Promet och mallen är av olika produktmodeller.\nProm:\t%s\nMall:\t%s\n\nKonvertering är "
     "möjlig. Skall data konverteras?\n"},
    {MessageId::UserPairTooLong,
     "Användarnamn och lösenord får tillsammans vara högst 125 tecken.\nAnvändare: %s"},
    {MessageId::ValueCannotBeSaved,
     "Ett värde kan inte sparas: det är längre än 699 tecken eller innehåller ett nolltecken.\n"
     "fält: %s"},
    {MessageId::PasswordTooLong, "Lösenordet är för långt.\nHögst %d tecken är tillåtna."},
    {MessageId::BadFromDate, "Felaktigt Från-datum.\nDatum skall anges som ÅÅMMDD"},
    {MessageId::BadToDate, "Felaktigt Till-datum.\nDatum skall anges som ÅÅMMDD"},
    {MessageId::EmptyDateRange, "Från-datum är högre än Till-datum!\n\nIngenting kan passa!"},
    {MessageId::CommunicationError, "Kommunikationsfel\nTCP/IP-uppkopplingen avbryten"},
    {MessageId::ModemRetry, "Modemet kunde inte kopplas.\nVill du försöka igen?"},
    {MessageId::ModemConnected, "Modemet är kopplat."},
    {MessageId::WrongIdCode, "Felaktig ID-kod."},
    {MessageId::TcpConnected, "Uppkoppling klar."},
    {MessageId::TcpRetry, "Uppkoppling misslyckades.\nVill du försöka igen?"},
    {MessageId::ConfirmWriteProm, "Skall du verkligen programmera promet?"},
    {MessageId::StatusErasing, "Raderar prom..."},
    {MessageId::StatusWriting, "Skriver till prom..."},
    {MessageId::StatusReading, "Läser prom..."},
    {MessageId::StatusReadingLog, "Läser logg..."},
    {MessageId::PressResetButton, "Tryck på resetknappen på VT340"},
    {MessageId::BadProductId, "Felaktigt Produkt-ID"},
    {MessageId::ValueBadCharacter,
     "Värdet innehåller tecken som fältet inte tar emot.\nTillåtna tecken: %s."},
    {MessageId::ValueNotInList, "Värdet finns inte bland fältets val.\nTillåtna värden: %s."},
    {MessageId::ValueNotOnOff, "Värdet måste vara %s (ikryssad) eller %s (inte ikryssad)."},
    {MessageId::ValueNotAnOption, "Värdet är inget av fältets alternativ.\nTillåtna värden: %s."},
    {MessageId::TcpSocketFailed, "Ingen TCP/IP-förbindelse kan skapas (socket)."},
    {MessageId::TcpConnectFailed, "Anslutningen till centralen misslyckades (connect)."},
    {MessageId::TcpNonBlockingFailed,
     "TCP/IP-förbindelsen kan inte ställas in (icke-blockerande läge)."},
    {MessageId::SerialCannotOpen, "Kan inte öppna porten.\nport: %s"},
    {MessageId::SerialNotAPort, "Enheten är ingen seriell port.\nport: %s"},
    {MessageId::SerialCannotLock, "Porten kan inte reserveras för programmet.\nport: %s"},
    {MessageId::SerialCannotConfigure, "Porten kan inte ställas in.\nport: %s"},
    {MessageId::SerialNoDevice, "Enheten finns inte."},
    {MessageId::ConnectionLocal, "Lokal"},
    {MessageId::ConnectionModem, "Modem"},
    {MessageId::ConnectionTcp, "TCP/IP %s:%s"},
    {MessageId::WrongTemplate, "Mallen hör inte till systemet.\nmall: %s\nsystemets mall: %s"},
    {MessageId::SettingOutOfRange, "%s måste vara ett heltal från %d till %d."},
    {MessageId::SettingComputerId, "Datorns id-tecken måste vara en bokstav mellan A och Z."},
    {MessageId::SettingIpAddress,
     "IP-adressen måste vara fyra tal från 0 till 255 åtskilda av punkter, inte alla 0."},
    {MessageId::SettingProduct, "Produkt måste vara \"VT 340\" eller \"Gridlan\"."},
    {MessageId::SettingSerialPort,
     "%s måste vara en av COM1 till COM9 eller sökvägen till en enhet, t ex /dev/ttyUSB0."},
    {MessageId::WaitingForPanel, "Väntar på svar från centralen (%d s)..."},
    {MessageId::FailureNoAnswer, "Centralen svarade inte inom tidsgränsen."},
    {MessageId::FailureTooManyRetries,
     "För många misslyckade försök: centralen avvisade meddelandena eller svarade felaktigt."},
    {MessageId::FailureLinkLost, "Förbindelsen med centralen bröts."},
    {MessageId::FailureNoIdentity, "Centralen skickade inte sin identitet."},
    {MessageId::FailureCancelled, "Överföringen avbröts av användaren."},
    {MessageId::PromIncomplete,
     "Centralens prom är nu ofullständigt.\nPromet måste skrivas på nytt innan centralen "
     "används."},
    {MessageId::PromEmpty,
     "Nedläsning klar!\nPromet är tomt: det innehåller inget system.\nDet finns inget att "
     "spara."},
    {MessageId::VerifyDone, "Kontrollen klar: alla %d block lästes tillbaka identiska."},
    {MessageId::VerifyDiffers,
     "Kontrollen misslyckades: %d av %d block lästes tillbaka annorlunda.\nPromet måste "
     "skrivas på nytt innan centralen används.\n\nBlockens adresser:\n%s"},
    {MessageId::VerifyMore, "och %d till"},
    {MessageId::ProgressStarting, "Väntar på centralen..."},
    {MessageId::NotAProgramDirectory,
     "Programkatalogen finns inte eller saknar programmets kataloger och LOGIN.KEY.\n"
     "katalog: %s"},
    {MessageId::SameIndexKey,
     "Datafilen har samma nyckel som en annan och kommer inte med i indexet.\nfil: %s\n"
     "nyckel: %s\nnyckeln hör till: %s"},
    {MessageId::ReasonNoSpace, "Det finns inget utrymme kvar på enheten."},
    {MessageId::ReasonReadOnly, "Enheten är skrivskyddad."},
    {MessageId::ReasonAccessDenied, "Åtkomst nekas."},
    {MessageId::ReasonNotPermitted, "Åtgärden är inte tillåten."},
    {MessageId::ReasonNotFound, "Filen eller katalogen finns inte."},
    {MessageId::ReasonNotADirectory, "En del av sökvägen är inte en katalog."},
    {MessageId::ReasonIsADirectory, "Det är en katalog."},
    {MessageId::ReasonExists, "Filen finns redan."},
    {MessageId::ReasonIo, "In- eller utmatningsfel."},
    {MessageId::ReasonBusy, "Filen eller enheten är upptagen."},
    {MessageId::ReasonQuota, "Diskkvoten är överskriden."},
    {MessageId::ReasonTooLarge, "Filen är för stor."},
    {MessageId::ReasonNameTooLong, "Filnamnet är för långt."},
    {MessageId::ReasonTooManyOpen, "För många öppna filer."},
    {MessageId::ReasonHeldElsewhere, "Filen används av ett annat program."},
    {MessageId::ReasonLinkLoop, "För många nivåer av symboliska länkar."},
    {MessageId::ReasonNoMemory, "Minnet räcker inte."},
    {MessageId::ReasonStale, "Filen finns inte längre på nätverksenheten."},
    {MessageId::ReasonCrossDevice, "Filen kan inte flyttas till en annan enhet."},
    {MessageId::ReasonNotSupported, "Åtgärden stöds inte av enheten."},
    {MessageId::ReasonNotRegularFile, "Det är ingen vanlig fil."},
    {MessageId::ReasonTooManyLinks, "För många länkar."},
    {MessageId::EmptyBitmapFile, "Empty bitmap file"},
    {MessageId::InvalidBitmapFile, "Invalid bitmap file"},
    {MessageId::AttachMemoryError, "AttachMemory error"},
    {MessageId::HelpFileNotShown,
     "Hjälpfilen kan inte visas: det finns inget program som visar den.\nfil: %s"},
    {MessageId::CheckBoxOn, "På"},
    {MessageId::CheckBoxOff, "Av"},
    {MessageId::LogNotSaved, "Loggen kunde inte sparas.\nfil: %s"},
    {MessageId::IntegerOutOfRange, "Ange ett heltal mellan %d och %d."},
};
constexpr std::size_t kCount = std::size(kCatalogue);

const std::array<std::string, kCount>& converted() {
    static const std::array<std::string, kCount> texts = [] {
        std::array<std::string, kCount> out;
        for (std::size_t i = 0; i < kCount; ++i)
            out[i] = utf8ToCp1252(kCatalogue[i].second);
        return out;
    }();
    return texts;
}

}  // namespace

std::string_view messageText(MessageId id) {
    for (std::size_t i = 0; i < kCount; ++i) {
        if (kCatalogue[i].first == id) return converted()[i];
    }
    return {};
}

MessageStyle messageStyle(MessageId id) {
    switch (id) {
        // Questions whose "Ja" would break off a transfer: an Enter pressed by habit must not.
        case MessageId::CloseDuringTransfer:
        case MessageId::ConfirmCancelTransfer:
            return {{}, true};
        case MessageId::BadProductId:
            return {"Fel!", false};
        case MessageId::BadFromDate:
        case MessageId::BadToDate:
            return {"Fel", false};
        case MessageId::EmptyDateRange:
            return {"Warning", false};
        default:
            return {};
    }
}

std::string substitute(std::string_view pattern, std::initializer_list<MessageArg> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out.push_back(c);
            continue;
        }
        char conversion = pattern[i + 1];
        if (conversion == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        if (conversion != 's' && conversion != 'd' && conversion != 'u') {
            out.push_back(c);
            continue;
        }
        ++i;
        if (next == args.end()) continue;
        if (const auto* s = std::get_if<std::string_view>(&*next)) {
            out.append(*s);
        } else {
            out.append(std::to_string(std::get<std::int64_t>(*next)));
        }
        ++next;
    }
    return out;
}

std::string formatMessage(MessageId id, std::initializer_list<MessageArg> args) {
    return substitute(messageText(id), args);
}

}  // namespace loom
