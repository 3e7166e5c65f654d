#pragma once

class QDialog;
class QWidget;

// The Help menu's documents. The guide opens in the desktop's PDF viewer;
// the glossary and About are the program's own pages in window-modal
// dialogs that close with the window.
namespace HelpDocuments {

// Opens the user guide; says so in a message box when it is missing or no
// viewer takes it. Returns whether a viewer was asked to open it.
bool userGuideButtonAction(QWidget *parent);
QDialog *glossaryButtonAction(QWidget *parent);
QDialog *aboutButtonAction(QWidget *parent);

} // namespace HelpDocuments
