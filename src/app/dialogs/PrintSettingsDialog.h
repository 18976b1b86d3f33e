#pragma once

#include <QDialog>
#include <QFont>
#include <functional>
#include <optional>

#include "platform/Settings.h"

class QLineEdit;
class QPushButton;

namespace loom {

class AppContext;
class UserPrompt;

// "Inställningar för utskrift": the left margin and the column width in mm ("Margin",
// "Column") and the three printer fonts ("Font0" to "Font2"). Both numbers are written
// back whenever the dialog closes: after OK the values typed, after Cancel the ones read
// at opening. A font is stored as soon as it is chosen, whatever the dialog's end.
class PrintSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    // Shows the font dialog from `current`; nothing when the user cancels it.
    using FontChooser = std::function<std::optional<QFont>(const QFont& current, QWidget* parent)>;
    // Whether there is a default printer to choose fonts for.
    using PrinterCheck = std::function<bool()>;

    PrintSettingsDialog(SettingsStore& settings, UserPrompt& prompt, QWidget* parent = nullptr);

    // Tests choose the font and the printer without a modal loop.
    void setFontChooser(FontChooser chooser) { chooseFont_ = std::move(chooser); }
    void setPrinterCheck(PrinterCheck check) { hasPrinter_ = std::move(check); }

    QLineEdit* marginEdit() const { return margin_; }
    QLineEdit* columnEdit() const { return column_; }
    QPushButton* fontButton(PrintFont font) const { return fontButtons_[static_cast<int>(font)]; }

    // A font button: message 78 without a default printer, else the font dialog.
    void chooseFont(PrintFont font);

  public slots:
    // Refuses a number outside its range with the framework's message and stays open.
    void accept() override;
    void done(int result) override;

  private:
    // The number in `edit` within the setting's range, or nothing after the message.
    std::optional<int> typedNumber(QLineEdit* edit, std::string_view name);

    Settings settings_;
    UserPrompt& prompt_;
    QLineEdit* margin_;
    QLineEdit* column_;
    QPushButton* fontButtons_[3] = {};
    int marginValue_;
    int columnValue_;
    FontChooser chooseFont_;
    PrinterCheck hasPrinter_;
};

// 32836 "Utskriftsformat...": the dialog over `parent`.
void runPrintSettings(AppContext& context, QWidget* parent);

}  // namespace loom
