// The windowing layer's own state: the windows of an open dialog, and how a
// dialog is shown to the person reading the transcript and as a picture.
// Nothing here is part of the plug-in interface.
//
// Invariants: an open dialog's windows are made once, one per control of
// its template and in template order, and never move while it is open (the
// control objects of the plug-in point at them); `ended` is set by
// endDialog and only read by the modal loop.
#pragma once

#include <string>
#include <vector>

#include "drawhost/host.h"
#include "hostapi/dialogs.h"

struct AcUiControl::Window {
  const AcUiControlTemplate* control;
  bool enabled;
  int check;
  std::string text;                // GBK; for a combo box, its edit field
  std::vector<std::string> items;  // a combo box's list, in the order given
};

struct AcUiDialog::Impl {
  AcUiDialog* self = nullptr;
  int templateId = 0;
  const AcUiDialogTemplate* layout = nullptr;
  std::vector<AcUiControl::Window> windows;  // empty while no dialog is open
  bool open = false;
  bool ended = false;
  int result = IDCANCEL;

  AcUiControl::Window* window(int id);
  // The dialog's own operations, for the modal loop.
  void onOK() { self->onOK(); }
  void onCancel() { self->onCancel(); }
  std::span<const AcUiMessageEntry> messageMap() const { return self->messageMap(); }
};

namespace hostimpl {

// Resource modules of the windowing framework's extension modules, in order of set-up.
std::vector<HINSTANCE>& resourceChain();

const char* controlKindName(AcUiControlKind kind);
// The dialog as a person sees it, one line per control (GBK), for the
// transcript and the dialog observer.
std::string dialogView(const AcUiDialog::Impl& dialog);
// The dialog laid out from its template in dialog units (SVG, UTF-8).
std::string dialogPicture(const AcUiDialog::Impl& dialog);
// Tells the observer and, when pictures are kept, keeps one.
void reportDialog(const AcUiDialog::Impl& dialog, drawhost::DialogStage stage);

}  // namespace hostimpl
