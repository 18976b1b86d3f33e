#pragma once

#include <QDialog>
#include <array>
#include <filesystem>
#include <functional>

#include "archive/SearchDialogModel.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabBar;
class QTreeWidget;

namespace loom {

class AppContext;

// The search window "Sök": finds data files in the archive, opens and deletes them. It is
// modeless and lives as long as the document; closing it only hides it. Everything it
// decides is SearchDialogModel's; the window shows the model and passes clicks on.
class SearchWindow : public QDialog {
    Q_OBJECT
  public:
    // `openFile` opens a data file as the document; true when it was opened.
    SearchWindow(AppContext& context, std::function<bool(const std::filesystem::path&)> openFile,
                 QWidget* parent = nullptr);

    // "Öppna...": shows the window, or brings it to the front when it is shown already.
    void present();
    // Shows the selected tab's list again: export and import change the result lists.
    void refreshResults();

    SearchDialogModel& model() { return model_; }
    QComboBox* keywordCombo() const { return keywords_; }
    QCheckBox* useIndexBox() const { return useIndex_; }
    QPushButton* searchButton() const { return search_; }
    QTabBar* tabs() const { return tabs_; }
    QTreeWidget* list() const { return list_; }
    QLabel* countLabel() const { return count_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* deleteButton() const { return delete_; }

  private:
    void runSearch();
    void tabChanged(int index);
    void rowChanged();
    void openSelected();
    void deleteSelected();
    // The model's rows, count, information texts and button states into the widgets.
    void showModel();
    void showInfo();

    SearchDialogModel model_;
    std::function<bool(const std::filesystem::path&)> openFile_;
    QComboBox* keywords_;
    QCheckBox* useIndex_;
    QPushButton* search_;
    QTabBar* tabs_;
    QTreeWidget* list_;
    QLabel* count_;
    std::array<QLabel*, 5> info_{};
    QPushButton* open_;
    QPushButton* delete_;
    bool filling_ = false;
};

}  // namespace loom
