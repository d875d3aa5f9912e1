// Modal dialogs of the windowing framework, on this host.
//
// A dialog is laid out by a template in a plug-in's own resources. The
// library exports them as
//   ACUI_RESOURCE_EXPORT const AcUiResources acuiResources = {...};
// and a dialog finds its template in the current resource module of the
// document manager (acDocManagerPtr()->curResourceHandle()), then in the
// modules of the framework's resource chain (AcUiInitExtensionModule), in
// order of set-up.
//
// A dialog runs modally in doModal: the host makes a window per control of
// the template, calls onInitDialog, and then takes the input script's
// dialog actions (click, type, choose, ok, cancel) until endDialog is
// called. Every action goes to the control it names; the control's
// notification then goes to the handler the message map gives for it.
// Check boxes and radio buttons with the kAuto style toggle themselves
// before their handler runs. The push buttons IDOK and IDCANCEL call onOK
// and onCancel unless the message map has a handler for them.
//
// Controls of a dialog exist from the start of doModal until it returns;
// a control object bound by ddxControl refers to its window while they do.
// Texts are GBK, like every text of the plug-in interface.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "hostapi/winshim.h"

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

// --- Templates ---------------------------------------------------------------------

enum class AcUiControlKind : std::uint8_t {
  kPushButton,
  kGroupBox,
  kCheckBox,
  kRadioButton,
  kEdit,
  kComboBox,
  kStatic,
};

// Styles of controls and dialogs.
namespace AcUiStyle {
enum : std::uint32_t {
  kTabStop = 1u << 0,
  kGroup = 1u << 1,        // first control of a group (of radio buttons)
  kDefault = 1u << 2,      // the default push button
  kAuto = 1u << 3,         // a check box or radio button that toggles itself
  kBorder = 1u << 4,
  kAutoHScroll = 1u << 5,  // an edit field that scrolls sideways
  kDropDown = 1u << 6,     // a combo box with an edit field above its list
  kSort = 1u << 7,         // a combo box sorting what it is given (appended items keep their place)
  kVScroll = 1u << 8,
  kDisabled = 1u << 9,     // disabled when the dialog opens
  // Dialog styles.
  kPopup = 1u << 16,
  kCaption = 1u << 17,
  kSysMenu = 1u << 18,
  kModalFrame = 1u << 19,
};
}  // namespace AcUiStyle

// Positions and sizes in dialog units. A combo box's height is that of its
// list when dropped down.
struct AcUiControlTemplate {
  int id;  // -1: a control without identifier
  AcUiControlKind kind;
  const char* text;
  short x, y, cx, cy;
  std::uint32_t style;
};

struct AcUiDialogTemplate {
  int id;
  unsigned language;  // e.g. 0x0804, Chinese (PRC)
  std::uint32_t style;
  const char* caption;
  const char* font;
  int pointSize;
  short cx, cy;
  std::span<const AcUiControlTemplate> controls;
};

struct AcUiResources {
  std::span<const AcUiDialogTemplate* const> dialogs;
};

#define ACUI_RESOURCE_EXPORT extern "C" __attribute__((visibility("default")))

// The template `id` of a module's resources; null when it has none.
const AcUiDialogTemplate* AcUiFindDialogTemplate(HINSTANCE module, int id);

// --- Controls ------------------------------------------------------------------------

enum class AcUiNotification : std::uint8_t {
  kClicked,           // a push button, check box or radio button
  kTextChanged,       // the text of an edit box or of a combo box's edit field
  kSelectionChanged,  // an item of a combo box's list was chosen
};

class AcUiControl {
 public:
  struct Window;
  bool isBound() const { return window_ != nullptr; }
  int id() const;
  void enableWindow(bool enable = true);
  bool isWindowEnabled() const;
  void setWindowText(const char* text);
  std::string windowText() const;

  // Host-internal.
  void bind(Window* window) { window_ = window; }

 protected:
  Window* window_ = nullptr;
};

class AcUiButton : public AcUiControl {
 public:
  // 1 checked, 0 not (check boxes and radio buttons).
  int getCheck() const;
  void setCheck(int check);
};

class AcUiEdit : public AcUiControl {};
class AcUiStatic : public AcUiControl {};

class AcUiComboBox : public AcUiControl {
 public:
  // Appends an item to the list; returns its index.
  int addString(const char* item);
  // Empties the list (the edit field keeps its text).
  void resetContent();
  int getCount() const;
  // The item at index, or "" when there is none.
  std::string getLBText(int index) const;
};

// --- Dialogs ---------------------------------------------------------------------------

class AcUiDialog;

struct AcUiDataExchange {
  AcUiDialog& dialog;
  bool saveAndValidate;  // true: controls to members; false: members to controls
};

// Binds a control object to the dialog's control `id`.
void ddxControl(AcUiDataExchange& dx, int id, AcUiControl& control);
// The check of a check box (0 or 1).
void ddxCheck(AcUiDataExchange& dx, int id, int& value);
// The text of an edit box or of a combo box's edit field.
void ddxText(AcUiDataExchange& dx, int id, std::string& value);
// The index of the checked radio button in the group that starts at
// firstId (-1 when none is checked).
void ddxRadio(AcUiDataExchange& dx, int firstId, int& value);

struct AcUiMessageEntry {
  int controlId;
  AcUiNotification notification;
  void (AcUiDialog::*handler)();
};
// A handler of a derived dialog class as a message-map entry's handler.
template <typename Dialog>
constexpr auto acuiHandler(void (Dialog::*handler)()) {
  return static_cast<void (AcUiDialog::*)()>(handler);
}

class AcUiDialog {
 public:
  struct Impl;
  explicit AcUiDialog(int templateId, HWND parent = nullptr);
  virtual ~AcUiDialog();
  AcUiDialog(const AcUiDialog&) = delete;
  AcUiDialog& operator=(const AcUiDialog&) = delete;

  // Runs the dialog: IDOK or IDCANCEL (what endDialog was given), -1 when
  // the template cannot be found or a dialog of this object is open.
  int doModal();
  // Exchanges the members with the controls; false when no dialog is open.
  bool updateData(bool saveAndValidate = true);
  // Ends the modal run once the current handler returns.
  void endDialog(int result);
  int templateId() const;

  // Host-internal.
  Impl* impl() const { return impl_; }

 protected:
  virtual void doDataExchange(AcUiDataExchange& dx);
  // Loads the members into the controls.
  virtual bool onInitDialog();
  // Reads the controls into the members and ends the dialog with IDOK.
  virtual void onOK();
  // Ends the dialog with IDCANCEL.
  virtual void onCancel();
  virtual std::span<const AcUiMessageEntry> messageMap() const { return {}; }

 private:
  Impl* impl_;
  friend struct Impl;
};

#pragma GCC visibility pop
