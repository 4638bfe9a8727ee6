// The console's modal message boxes. Every box goes through the platform's
// message seam (platform/message_box.h), so that a test can answer them all
// in one place; the console itself installs a modal Qt box there.
#pragma once
#include <string>

// The class library's ShowMessage: a modal message dialog with an OK button.
// While it is shown it is the application's active form; when it closes the
// form beneath is activated again (see ActiveForm.h). GUI thread only.
void ShowMessage(const std::string& text);

// The application's exception dialog: shows the message of an exception that
// escaped a handler. GUI thread only.
void showExceptionMessage(const std::string& text);

// Installs the console's box as the platform message hook: a modal
// QMessageBox when called on the GUI thread. Called from any other thread the
// text goes to standard error instead: the console's libraries only show boxes
// from the GUI thread, and a box that had to wait for the GUI thread could
// deadlock against a GUI thread that waits for that caller.
void installMessageBoxes();
