#pragma once

class QWidget;

namespace loom {

class AppContext;
class PromDocument;
class SearchWindow;

// The frame's commands 32775 "Exportera..." and 32774 "Importera...": the dialog over
// `parent`; after a run the search window (when there is one) shows the new result lists.
// True when a copy ran.
bool runExport(AppContext& context, PromDocument& document, QWidget* parent, SearchWindow* search);
bool runImport(AppContext& context, QWidget* parent, SearchWindow* search);

}  // namespace loom
