// The one seam through which the libraries show a modal message (a text with
// an OK button). Without a hook the text goes to standard error, which is what
// a host program without a GUI wants; the console installs a modal Qt box and
// tests install a recorder. ShowMessageBox returns when the message has been
// acknowledged. Callable from any thread; the hook must cope with that.
#pragma once
#include <string>

namespace platform {

using MessageBoxHook = void (*)(const char* text);

void SetMessageBoxHook(MessageBoxHook hook);  // nullptr restores standard error
void ShowMessageBox(const std::string& text);

}  // namespace platform
