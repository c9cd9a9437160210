// The Windows program's Platform (frontend/platform.h): MessageBoxW over the active window,
// MessageBeep, the system's folder and file dialogs (IFileOpenDialog, IFileSaveDialog), the
// Escape key's state, ShellExecuteW, and the user's locale for folder names. Tests put
// frontend/scripted_platform.h's fake in its place.
#pragma once

#include "frontend/platform.h"

namespace tolvane::win32 {

Platform& SystemPlatform();

}  // namespace tolvane::win32
