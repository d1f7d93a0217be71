#pragma once
// The question before what cannot be undone (a fiscal closure, a zero-set, a history rollback, closing
// the driver). A key typed while the box pops up must not answer it: the confirming button has no
// letter shortcut, Return and Escape answer No (also with the confirming button in focus), and
// confirming takes a click on it, or Tab to it and Space.

#include <QString>

class QWidget;

namespace driver {

// Asks the question with Yes and No (the texts of the language in use, Yes without its shortcut);
// true only when Yes was chosen.
bool ConfirmCarefully(QWidget* parent, const QString& text);

// A button text without its shortcut mark ("&Yes" shows "Yes"; "&&" stays one "&").
QString WithoutShortcut(const QString& text);

}  // namespace driver
