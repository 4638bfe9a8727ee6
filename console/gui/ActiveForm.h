// The application's active form, kept the way the console's forms expect it:
// the main form from start-up, a modal dialog or message dialog while it is
// shown, and the form beneath it again once it closes. Each time a form
// becomes the active form its activation handler (FormActivate) runs. Focus
// moving to another program and back does not count. GUI thread only.
#pragma once

class QDialog;

class ActivatableForm {
 public:
  virtual void FormActivate() {}

 protected:
  ~ActivatableForm() = default;
};

// Makes `form` the bottom of the chain (the main form) and activates it.
void activateMainForm(ActivatableForm* form);
// Forgets `form` wherever it is in the chain; called when it is destroyed.
void forgetForm(ActivatableForm* form);

// While alive, `form` is the active form (null for a message dialog, which
// has no activation handler); at its end the form beneath becomes active again.
class ActiveFormScope {
 public:
  explicit ActiveFormScope(ActivatableForm* form);
  ~ActiveFormScope();
  ActiveFormScope(const ActiveFormScope&) = delete;
  ActiveFormScope& operator=(const ActiveFormScope&) = delete;
};

// Shows `dialog` modally as the active form `form`; returns when it closes,
// with its result.
int showModal(QDialog* dialog, ActivatableForm* form);
