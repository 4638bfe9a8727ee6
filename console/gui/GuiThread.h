// Where the console's widgets may be touched: on the GUI thread only. Over a
// serial link replies are handled on the link's receive thread, which hands
// its widget changes over with runOnGuiThread; that never waits for the GUI
// thread, because the GUI thread may itself be waiting for the reply.
#pragma once
#include <functional>

// Remembers the calling thread as the GUI thread (the one running the event
// loop); the main window does so when it is built.
void markGuiThread();
bool onGuiThread();

// On the GUI thread: runs the changes queued so far, then `change`. On any
// other thread: queues it for the GUI thread and returns at once. Either way
// the changes reach the widgets in the order they were made.
// `owner` names the form the change belongs to; queued changes of an owner
// that is gone (see forgetGuiChanges) are dropped.
void runOnGuiThread(const void* owner, std::function<void()> change);
// Drops the queued changes of `owner` and refuses further ones; called when
// the owner is destroyed.
void forgetGuiChanges(const void* owner);
// Accepts changes for `owner` (again); called when the owner is built.
void acceptGuiChanges(const void* owner);

// The class library's process-pending-messages: on the GUI thread, handles the
// pending events (clicks, paints, queued changes). Other threads have no
// message queue of their own, so there it does nothing.
void ProcessMessages();
// As ProcessMessages, without user input (clicks and keys wait): paints,
// timers and queued changes. Keeps the window alive during a wait.
void ProcessNonInputEvents();
