#include "gui/ActiveForm.h"

#include <QDialog>

#include <algorithm>
#include <vector>

namespace {

// Bottom: the main form; top: the active form. A null entry is a message
// dialog, which keeps its place in the chain without a handler of its own.
std::vector<ActivatableForm*> chain;

void activateTop() {
  if (!chain.empty() && chain.back() != nullptr) chain.back()->FormActivate();
}

}  // namespace

void activateMainForm(ActivatableForm* form) {
  chain.assign(1, form);
  activateTop();
}

void forgetForm(ActivatableForm* form) {
  std::replace(chain.begin(), chain.end(), form, static_cast<ActivatableForm*>(nullptr));
}

ActiveFormScope::ActiveFormScope(ActivatableForm* form) {
  chain.push_back(form);
  activateTop();
}

ActiveFormScope::~ActiveFormScope() {
  chain.pop_back();
  activateTop();
}

int showModal(QDialog* dialog, ActivatableForm* form) {
  ActiveFormScope scope(form);
  return dialog->exec();
}
