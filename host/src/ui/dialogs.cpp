// Modal dialogs: templates found in the plug-ins' resources, the windows of
// their controls, data exchange, and the modal loop that takes the input
// script's dialog actions.
//
// The modal loop asks the editor for the next action that answers the
// dialog (nextAnswer with kAcceptDialog), so hovers and transparent
// commands run in between as at any prompt, and an action of another kind
// is the script's error. Esc is Cancel. When the script ends, or stops at
// an error, while a dialog is open, the dialog is cancelled.
#include <algorithm>
#include <charconv>

#include "editor/editor.h"
#include "hostapi/hostapi.h"
#include "runtime/runtime.h"
#include "ui/ui.h"

using hostimpl::Action;

namespace {

using Window = AcUiControl::Window;

bool isButton(AcUiControlKind kind) {
  return kind == AcUiControlKind::kPushButton || kind == AcUiControlKind::kCheckBox ||
         kind == AcUiControlKind::kRadioButton;
}
bool hasEditField(const AcUiControlTemplate& c) {
  return c.kind == AcUiControlKind::kEdit ||
         (c.kind == AcUiControlKind::kComboBox && (c.style & AcUiStyle::kDropDown));
}

const AcUiDialogTemplate* findTemplate(int id) {
  if (AcApDocManager* dm = acDocManagerPtr())
    if (const AcUiDialogTemplate* found = AcUiFindDialogTemplate(dm->curResourceHandle(), id))
      return found;
  for (HINSTANCE module : hostimpl::resourceChain())
    if (const AcUiDialogTemplate* found = AcUiFindDialogTemplate(module, id)) return found;
  return nullptr;
}

std::string quoted(const std::string& gbk) {
  std::string out(1, '"');
  out += hostimpl::text::gbkToUtf8(gbk);
  return out += '"';
}

// The radio buttons of the group that holds `at`: the run of radio buttons
// around it, begun by the one with the group style.
std::pair<size_t, size_t> radioGroup(const std::vector<Window>& windows, size_t at) {
  auto isRadio = [&](size_t i) { return windows[i].control->kind == AcUiControlKind::kRadioButton; };
  size_t first = at;
  while (first > 0 && !(windows[first].control->style & AcUiStyle::kGroup) && isRadio(first - 1))
    --first;
  size_t end = at + 1;
  while (end < windows.size() && isRadio(end) && !(windows[end].control->style & AcUiStyle::kGroup))
    ++end;
  return {first, end};
}

}  // namespace

// ---- templates and controls ---------------------------------------------------------------

const AcUiDialogTemplate* AcUiFindDialogTemplate(HINSTANCE module, int id) {
  const hostimpl::Module* m = hostimpl::moduleFromHandle(module);
  if (m == nullptr || m->resources == nullptr) return nullptr;
  for (const AcUiDialogTemplate* dialog : m->resources->dialogs)
    if (dialog != nullptr && dialog->id == id) return dialog;
  return nullptr;
}

int AcUiControl::id() const { return window_ ? window_->control->id : 0; }
void AcUiControl::enableWindow(bool enable) {
  if (window_) window_->enabled = enable;
}
bool AcUiControl::isWindowEnabled() const { return window_ && window_->enabled; }
void AcUiControl::setWindowText(const char* text) {
  if (window_) window_->text = text ? text : "";
}
std::string AcUiControl::windowText() const { return window_ ? window_->text : std::string(); }

int AcUiButton::getCheck() const { return window_ ? window_->check : 0; }
void AcUiButton::setCheck(int check) {
  if (window_) window_->check = check ? 1 : 0;
}

int AcUiComboBox::addString(const char* item) {
  if (!window_) return -1;
  window_->items.emplace_back(item ? item : "");
  return static_cast<int>(window_->items.size()) - 1;
}
void AcUiComboBox::resetContent() {
  if (window_) window_->items.clear();
}
int AcUiComboBox::getCount() const { return window_ ? static_cast<int>(window_->items.size()) : 0; }
std::string AcUiComboBox::getLBText(int index) const {
  if (!window_ || index < 0 || index >= getCount()) return {};
  return window_->items[static_cast<size_t>(index)];
}

Window* AcUiDialog::Impl::window(int id) {
  if (id == -1) return nullptr;
  for (Window& w : windows)
    if (w.control->id == id) return &w;
  return nullptr;
}

// ---- data exchange --------------------------------------------------------------------------

void ddxControl(AcUiDataExchange& dx, int id, AcUiControl& control) {
  control.bind(dx.dialog.impl()->window(id));
}

void ddxCheck(AcUiDataExchange& dx, int id, int& value) {
  Window* w = dx.dialog.impl()->window(id);
  if (!w) return;
  if (dx.saveAndValidate) value = w->check;
  else w->check = value ? 1 : 0;
}

void ddxText(AcUiDataExchange& dx, int id, std::string& value) {
  Window* w = dx.dialog.impl()->window(id);
  if (!w) return;
  if (dx.saveAndValidate) value = w->text;
  else w->text = value;
}

void ddxRadio(AcUiDataExchange& dx, int firstId, int& value) {
  AcUiDialog::Impl& d = *dx.dialog.impl();
  Window* first = d.window(firstId);
  if (!first) return;
  const size_t at = static_cast<size_t>(first - d.windows.data());
  const size_t end = radioGroup(d.windows, at).second;
  if (dx.saveAndValidate) {
    value = -1;
    for (size_t i = at; i < end; ++i)
      if (d.windows[i].check) value = static_cast<int>(i - at);
    return;
  }
  for (size_t i = at; i < end; ++i) d.windows[i].check = static_cast<int>(i - at) == value;
}

// ---- the dialog -------------------------------------------------------------------------------

namespace hostimpl {

// Carries out the dialog actions of the script on an open dialog.
class ModalRun {
 public:
  explicit ModalRun(AcUiDialog::Impl& d) : d_(d) {}
  void run();

 private:
  void take(const Action& a);
  Window* target(const Action& a, bool (*fits)(const AcUiControlTemplate&), const char* needs);
  void click(Window& w);
  void notify(int id, AcUiNotification code);
  std::string caption() const { return quoted(d_.layout->caption ? d_.layout->caption : ""); }
  AcUiDialog::Impl& d_;
};

void ModalRun::run() {
  EditorState& st = state();
  const std::string prompt = std::string("\n[") + (d_.layout->caption ? d_.layout->caption : "") + "] ";
  while (!d_.ended) {
    Action a;
    const int rc = nextAnswer(prompt.c_str(), kAcceptDialog, a);
    if (rc == AcEd::kNormal) {
      take(a);
    } else {
      if (st.sourceEnded && st.error.empty())
        print("\nDialog " + std::string("\"") + (d_.layout->caption ? d_.layout->caption : "") +
              "\" cancelled: the script ended while it was open.");
      d_.onCancel();
      if (!d_.ended) d_.self->endDialog(IDCANCEL);
    }
    if (!d_.ended) reportDialog(d_, drawhost::DialogStage::kChanged);
  }
}

void ModalRun::take(const Action& a) {
  if (a.text == "ok" || a.text == "cancel") {
    const int id = a.text == "ok" ? IDOK : IDCANCEL;
    Window* button = d_.window(id);
    if (button && !button->enabled) {
      failScript("button " + std::to_string(id) + " of dialog " + caption() + " is disabled");
      return;
    }
    if (button) notify(id, AcUiNotification::kClicked);
    else if (id == IDOK) d_.onOK();
    else d_.onCancel();
    return;
  }
  if (a.text == "click") {
    if (Window* w = target(a, [](const AcUiControlTemplate& c) { return isButton(c.kind); },
                           "a push button, check box or radio button"))
      click(*w);
    return;
  }
  if (a.text == "type") {
    Window* w = target(a, hasEditField, "an edit box or a combo box with an edit field");
    if (!w) return;
    w->text = text::utf8ToGbk(a.args.size() > 1 ? a.args[1] : "");
    notify(w->control->id, AcUiNotification::kTextChanged);
    return;
  }
  // choose
  Window* w = target(
      a, [](const AcUiControlTemplate& c) { return c.kind == AcUiControlKind::kComboBox; },
      "a combo box");
  if (!w) return;
  const std::string item = text::utf8ToGbk(a.args[1]);
  if (std::find(w->items.begin(), w->items.end(), item) == w->items.end()) {
    failScript("combo box " + std::to_string(w->control->id) + " of dialog " + caption() +
               " has no item " + quoted(item));
    return;
  }
  w->text = item;
  notify(w->control->id, AcUiNotification::kSelectionChanged);
}

Window* ModalRun::target(const Action& a, bool (*fits)(const AcUiControlTemplate&),
                         const char* needs) {
  const std::string& idText = a.args[0];
  int id = 0;
  const auto [end, ec] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
  if (ec != std::errc() || end != idText.data() + idText.size()) {
    failScript("\"" + idText + "\" is no control id");
    return nullptr;
  }
  Window* w = d_.window(id);
  if (!w) {
    failScript("dialog " + caption() + " has no control " + idText);
    return nullptr;
  }
  if (!fits(*w->control)) {
    const std::string kind = controlKindName(w->control->kind);
    failScript(a.text + " needs " + needs + "; control " + idText + " is " +
               (kind[0] == 'e' ? "an " : "a ") + kind);
    return nullptr;
  }
  if (!w->enabled) {
    failScript(std::string(controlKindName(w->control->kind)) + " " + idText + " " +
               quoted(w->control->text ? w->control->text : "") + " is disabled");
    return nullptr;
  }
  return w;
}

void ModalRun::click(Window& w) {
  const bool toggles = w.control->style & AcUiStyle::kAuto;
  if (toggles && w.control->kind == AcUiControlKind::kCheckBox) w.check = !w.check;
  if (toggles && w.control->kind == AcUiControlKind::kRadioButton) {
    const size_t at = static_cast<size_t>(&w - d_.windows.data());
    const auto [begin, end] = radioGroup(d_.windows, at);
    for (size_t i = begin; i < end; ++i) d_.windows[i].check = i == at;
  }
  notify(w.control->id, AcUiNotification::kClicked);
}

void ModalRun::notify(int id, AcUiNotification code) {
  for (const AcUiMessageEntry& entry : d_.messageMap()) {
    if (entry.controlId == id && entry.notification == code) {
      (d_.self->*entry.handler)();
      return;
    }
  }
  if (code != AcUiNotification::kClicked) return;
  if (id == IDOK) d_.onOK();
  else if (id == IDCANCEL) d_.onCancel();
}

}  // namespace hostimpl

AcUiDialog::AcUiDialog(int templateId, HWND) : impl_(new Impl) {
  impl_->self = this;
  impl_->templateId = templateId;
}
AcUiDialog::~AcUiDialog() { delete impl_; }

int AcUiDialog::templateId() const { return impl_->templateId; }

int AcUiDialog::doModal() {
  Impl& d = *impl_;
  if (d.open) return -1;
  d.layout = findTemplate(d.templateId);
  if (d.layout == nullptr) {
    hostimpl::print("\nDialog template " + std::to_string(d.templateId) +
                    " is in none of the plug-ins' resources.");
    return -1;
  }
  d.windows.clear();
  d.windows.reserve(d.layout->controls.size());
  for (const AcUiControlTemplate& c : d.layout->controls)
    d.windows.push_back({&c, !(c.style & AcUiStyle::kDisabled), 0, c.text ? c.text : "", {}});
  d.open = true;
  d.ended = false;
  d.result = IDCANCEL;
  onInitDialog();
  hostimpl::print(hostimpl::dialogView(d));
  hostimpl::reportDialog(d, drawhost::DialogStage::kOpened);
  hostimpl::ModalRun(d).run();
  d.open = false;
  d.windows.clear();
  return d.result;
}

bool AcUiDialog::updateData(bool saveAndValidate) {
  if (!impl_->open) return false;
  AcUiDataExchange dx{*this, saveAndValidate};
  doDataExchange(dx);
  return true;
}

void AcUiDialog::endDialog(int result) {
  Impl& d = *impl_;
  if (!d.open || d.ended) return;
  d.result = result;
  d.ended = true;
  hostimpl::reportDialog(d, drawhost::DialogStage::kClosed);
}

void AcUiDialog::doDataExchange(AcUiDataExchange&) {}

bool AcUiDialog::onInitDialog() { return updateData(false); }

void AcUiDialog::onOK() {
  if (updateData(true)) endDialog(IDOK);
}

void AcUiDialog::onCancel() { endDialog(IDCANCEL); }
