// The texts of the Help menu's two message boxes and the slots that show them.

#include "custom_message_box.h"
#include "main_window.h"

const QString aboutText = QStringLiteral(
    "<strong><font size = 5 >Vantrel version 1.0.0</font></strong><br/>"
    "<font size = 3>2026.12.06 release</font><br/><br/>"
    "Algorithm Design: The Vantrel team<br/>"
    "Development: The Vantrel team<br/>"
    "User Interface: The Vantrel team");

// The zoom lines name the keys the Zoom in and Zoom out actions are bound to.
const QString shortcutKeysText = QStringLiteral(
    "Open file: Ctrl + O<br/>"
    "Save file: Ctrl + S<br/>"
    "Close file: Ctrl + W<br/>"
    "Zoom in: Ctrl+[<br/>"
    "Zoom out: Ctrl+]<br/>"
    "Run: Ctrl + R<br/>"
    "Undo: Ctrl + Z<br/>"
    "Quit program: Ctrl + Q");

// Each request shows a fresh box; it stays, hidden, a child of the window.
void Clarnex::showAboutMessage()
{
    auto* box = new CustomMessageBox(aboutText, this, Qt::WindowFlags());
    box->exec();
}

void Clarnex::showShortcutMessage()
{
    auto* box = new CustomMessageBox(shortcutKeysText, this, Qt::WindowFlags());
    box->exec();
}
