#include "link_state.h"
#include "platform/message_box.h"

namespace ethernetlink {

void ShowLinkError(const char* text) { platform::ShowMessageBox(text); }

}  // namespace ethernetlink
