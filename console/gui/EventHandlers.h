// Binding the forms' handlers to their controls. A handler runs as under the
// class library's event dispatch: an exception that leaves it is shown in the
// application's exception dialog and the event loop goes on. It is caught
// here, at the handler, because an exception unwinding through Qt's own
// frames skips their clean-up; the application's notify override is only the
// last resort for code that is not bound this way.
#pragma once
#include <functional>

class QAbstractButton;

void runHandler(const std::function<void()>& handler);
// Calls `handler` through runHandler on every click of `control`.
void bindClick(QAbstractButton* control, std::function<void()> handler);
