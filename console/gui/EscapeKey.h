// The Esc key for the link layer's CheckEscape. The link asks from the thread
// that waits for a reply, which over serial is the receive thread and has no
// key queue of its own; so an application-wide filter notes each Esc pressed
// in any console window, and the check reports one that is still fresh (at
// most one reply time-out old), consuming it. Keys are not held back: Esc
// still closes a dialog as usual.
#pragma once

class QApplication;

void installEscapeWatch(QApplication& application);
// Whether an Esc press is pending; consumes it. Any thread.
bool escapePending();
