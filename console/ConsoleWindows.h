// The console's four windows: created at start-up in the order Form1,
// PortForm, Ethernet, Remove and kept until the program ends. The main window
// is shown and becomes the active form.
#pragma once

class QApplication;

// Installs the console's message boxes and Esc watch on `application` and
// creates the windows. GUI thread.
void createConsoleWindows(QApplication& application);
// Closes both links, then the windows.
void destroyConsoleWindows();
