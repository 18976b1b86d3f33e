#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace loom {

// The numbered texts the program shows. The numbers are the program's own string
// numbers; the catalogue in Messages.cpp holds the exact Swedish wording.
enum class MessageId : int {
    CannotOpenFile = 4,  // "Kan inte öppna filen.\nfil: %s"
    TooManyChars = 5,    // max characters, %d
    TooFewChars = 6,     // min characters, %d
    ValueTooLarge = 7,   // max value, %d
    ValueTooSmall = 8,   // min value, %d
    NotATemplate = 11,   // "Filen är inte en mall.\nfil: %s"
    NotADataFile = 12,
    // Month names, 16 "januari" ... 27 "december" (15 + month).
    MonthJanuary = 16,
    MonthDecember = 27,
    ConfirmDelete = 28,  // Yes/No
    FileDeleted = 29,
    FileNotDeleted = 30,
    SearchWithoutIndex = 31,  // Yes/No
    NoSystemsFound = 32,
    SaveChanges = 33,       // Yes/No/Cancel
    TemplateNotFound = 34,  // system name; Yes/No
    CannotParse = 36,       // "Filen kan inte tolkas.\nfil: %s"
    BadChecksum = 37,
    WrongTemplateVersion = 38,
    ConfirmReindex = 39,  // Yes/No
    IndexNotCreated = 40,
    NoFilesFound = 41,
    MissingClosingQuote = 42,  // the keywords found, each followed by a line feed
    WrongPassword = 43,
    PasswordsDiffer = 44,
    PasswordFileMissing = 45,
    PasswordFileNotCreated = 46,
    PasswordFileCreated = 47,
    SystemPasswordName = 48,  // not a message: the user name shown for the system password
    CreatePasswordFile = 49,
    EmptyUser = 50,
    PasswordChangeFailed = 51,
    ComputerIdMissing = 52,
    FolderMissing = 53,
    BadExportDate = 54,
    ConfirmSystemPasswordChange = 56,
    SaveBeforeExport = 57,  // Yes/No
    FilesCopied = 58,       // copied, not copied
    RetryCopy = 59,         // shown after the system's error text; Yes/No/Cancel
    OtherFolder = 60,       // Yes/No/Cancel
    FileInformation = 67,   // the title of the printed file information
    TransferRunning = 69,
    CloseDuringTransfer = 70,    // Yes/No, No default
    ConfirmCancelTransfer = 71,  // Yes/No
    PortCannotOpen = 72,
    UnknownVersion = 74,
    CannotSaveFile = 75,  // "Kan inte spara filen.\nfil: %s"
    CannotReadFile = 76,  // "Kan inte läsa filen.\nfil: %s"
    Reencipher = 77,
    // A font button of "Utskriftsformat..." without a default printer.
    CannotCreateFonts = 78,
    ModelMismatch = 79,  // panel's product text, template name
    ReadDoneNoFile = 80,
    ReadDoneIdentical = 81,
    ReadDoneDiffers = 82,
    TransferAborted = 83,
    AlsoSave = 84,      // Yes/No
    WriteCaption = 85,  // progress dialog title
    ReadCaption = 86,   // progress dialog title
    // The printed file information's labels, each followed directly by its value.
    PrintProduct = 87,
    PrintCreated = 88,
    PrintComputer = 89,
    PrintChanged = 90,
    TcpCannotOpen = 91,
    WriteDone = 92,

    // Texts of our own, numbered apart from the program's string table.
    ConvertQuestion = 1000,     // panel's 13 characters, template's 13 characters
    UserPairTooLong = 1001,     // the user's name
    ValueCannotBeSaved = 1002,  // the field's address
    PasswordTooLong = 1003,     // the longest length, %d
    BadFromDate = 1004,         // event log window, title "Fel"
    BadToDate = 1005,           // event log window, title "Fel"
    EmptyDateRange = 1006,      // event log window, title "Warning"
    // The link's and the transfer's unnumbered texts.
    CommunicationError = 1007,  // exclamation icon
    ModemRetry = 1008,          // Yes/No
    ModemConnected = 1009,
    WrongIdCode = 1010,
    TcpConnected = 1011,
    TcpRetry = 1012,          // Yes/No
    ConfirmWriteProm = 1013,  // Yes/No
    StatusErasing = 1014,
    StatusWriting = 1015,
    StatusReading = 1016,
    StatusReadingLog = 1017,
    PressResetButton = 1018,  // first status text when the product is "VT 340"
    BadProductId = 1019,      // title "Fel!", stop icon
    // A value given without the form's window, refused by the control that shows it.
    ValueBadCharacter = 1020,  // the characters the field takes
    ValueNotInList = 1021,     // the stored values, each with its shown text
    ValueNotOnOff = 1022,      // on character, off character
    ValueNotAnOption = 1023,   // the option values, each with its button's text
    WrongTemplate = 1024,      // the template's name, the system's template name
    // The step of a TCP connection that failed, shown as a stop box.
    TcpSocketFailed = 1025,
    TcpConnectFailed = 1026,
    TcpNonBlockingFailed = 1027,
    // Why a serial port did not open (the port; the system's reason may follow below).
    SerialCannotOpen = 1440,
    SerialNotAPort = 1441,
    SerialCannotLock = 1442,
    SerialCannotConfigure = 1443,
    SerialNoDevice = 1444,  // a reason: the device is not there
    // The status bar's connection pane.
    ConnectionLocal = 1445,
    ConnectionModem = 1446,
    ConnectionTcp = 1447,  // address, port
    // Refused setting values.
    SettingOutOfRange = 1200,  // setting name, lowest, highest
    SettingComputerId = 1201,
    SettingIpAddress = 1202,
    SettingProduct = 1203,
    SettingSerialPort = 1204,  // setting name
    // The transfer's reasons, notices and outcomes.
    WaitingForPanel = 1100,  // the seconds waited, %d
    FailureNoAnswer = 1101,
    FailureTooManyRetries = 1102,
    FailureLinkLost = 1103,
    FailureNoIdentity = 1104,
    FailureCancelled = 1105,
    PromIncomplete = 1106,  // stop icon, after message 83
    PromEmpty = 1107,       // a read's outcome instead of message 80
    // The read-back check after "Skriv och kontrollera".
    VerifyDone = 1400,     // blocks compared, %d
    VerifyDiffers = 1401,  // differing, compared, the addresses (one a line); stop icon
    VerifyMore = 1402,     // the addresses left out of the list, %d
    // The progress window's status before the transfer has one of its own.
    ProgressStarting = 1403,

    // The archive's own texts.
    NotAProgramDirectory = 1150,  // the folder
    SameIndexKey = 1151,          // the file left out, its key, the file the key leads to
    // Reasons for failed file operations, shown below the message they explain.
    ReasonNoSpace = 1160,
    ReasonReadOnly = 1161,
    ReasonAccessDenied = 1162,
    ReasonNotPermitted = 1163,
    ReasonNotFound = 1164,
    ReasonNotADirectory = 1165,
    ReasonIsADirectory = 1166,
    ReasonExists = 1167,
    ReasonIo = 1168,
    ReasonBusy = 1169,
    ReasonQuota = 1170,
    ReasonTooLarge = 1171,
    ReasonNameTooLong = 1172,
    ReasonTooManyOpen = 1173,
    ReasonHeldElsewhere = 1174,
    ReasonLinkLoop = 1175,
    ReasonNoMemory = 1176,
    ReasonStale = 1177,
    ReasonCrossDevice = 1178,
    ReasonNotSupported = 1179,
    ReasonNotRegularFile = 1180,
    ReasonTooManyLinks = 1181,
    // Picture files refused (plain boxes with an OK button; the texts are the program's).
    EmptyBitmapFile = 1320,    // the file has no bytes
    InvalidBitmapFile = 1321,  // not "BM", or cut short of what its headers describe
    AttachMemoryError = 1322,  // an information header this reader does not take
    HelpFileNotShown = 1360,   // file
    // A check box's state as a text (the list of differences between file and PROM).
    CheckBoxOn = 1420,
    CheckBoxOff = 1421,
    // The event log window's "Spara...".
    LogNotSaved = 1460,  // file, the reason on the next line
    // A dialog's number edit refused on OK, as the dialog framework words it.
    IntegerOutOfRange = 1520,  // lowest, highest
};

using MessageArg = std::variant<std::string_view, std::int64_t>;

// How a message's box differs from the usual one (the program's name as title, the
// first button as default).
struct MessageStyle {
    std::string_view title;    // code page 1252; empty: the program's name
    bool noByDefault = false;  // "Nej" is the default button
};
MessageStyle messageStyle(MessageId id);

// The message's text in code page 1252, with its %s / %d / %u placeholders.
std::string_view messageText(MessageId id);

// The text with each placeholder replaced by the next argument (strings are code page 1252).
std::string formatMessage(MessageId id, std::initializer_list<MessageArg> args = {});

// printf-like substitution of %s, %d, %u and %% in a code page 1252 pattern.
std::string substitute(std::string_view pattern, std::initializer_list<MessageArg> args);

}  // namespace loom
