#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>

#include "eventlog/EventLogModel.h"
#include "eventlog/LogExportFormat.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace loom {

class EventLogDelegate;
class EventTexts;
class FileSystem;
class LabelTable;
class PromImage;
class UserPrompt;

// "Händelselogg": the decoded entries of one installation's log file, newest first, each a
// coloured item of several lines; a search by event, user, free text and dates; printing
// on the default printer and saving as PDF or CSV. What is shown and what a search finds
// is EventLogModel's; the window shows the model and passes clicks on.
class EventLogWindow : public QDialog {
    Q_OBJECT
  public:
    // Reads and decodes `logFile` (a missing or unreadable file gives an empty list) with
    // the template's event texts, the label table's user names and `image`'s names of
    // areas and sections (none: numbers only). Modal; exec() returns on "Stäng".
    EventLogWindow(UserPrompt& prompt, FileSystem& files, const std::filesystem::path& logFile,
                   const EventTexts& events, const LabelTable& labels, const PromImage* image,
                   QWidget* parent = nullptr);

    // "Sök": the fields' criteria; a bad date shows its message and leaves the list.
    void search();
    // "Töm": every field empty, the list as it is.
    void clearFields();
    // "Skriv ut": the shown entries on the default printer; nothing without one.
    void print();
    // "Spara...": asks for a file, then saveTo().
    void chooseAndSave();
    // The shown entries as PDF or CSV, by the name's ending or else `filter` (whose
    // ending is added). False, with the message shown, when the file cannot be written.
    bool saveTo(const QString& path, LogExportFormat filter = LogExportFormat::Pdf);

    const EventLogModel& model() const { return model_; }
    QListWidget* list() const { return list_; }
    QComboBox* eventCombo() const { return events_; }
    QComboBox* userCombo() const { return users_; }
    QLineEdit* freeTextEdit() const { return freeText_; }
    QLineEdit* fromEdit() const { return from_; }
    QLineEdit* toEdit() const { return to_; }
    QPushButton* searchButton() const { return search_; }
    QPushButton* clearButton() const { return clear_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* closeButton() const { return close_; }

  private:
    void buildControls();
    // The model's shown entries into the list, and the buttons that need some.
    void showEntries();

    UserPrompt& prompt_;
    FileSystem& files_;
    std::filesystem::path logFile_;
    EventLogModel model_;
    EventLogDelegate* delegate_ = nullptr;
    QListWidget* list_ = nullptr;
    QComboBox* events_ = nullptr;
    QComboBox* users_ = nullptr;
    QLineEdit* freeText_ = nullptr;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QPushButton* search_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace loom
