#pragma once
// The system-wide keyboard hook and the focus-event hook.
#include <windows.h>

#include "engine/hotkey.h"

// The hooks act on the context's state and table until RemoveHooks.
bool InstallHooks(EngineContext engine, HINSTANCE instance);
bool RemoveHooks(EngineState& state);
// Installs both hooks afresh after the system dropped the keyboard hook behind our back.
bool ReinstallHooks(EngineContext engine, HINSTANCE instance);

LRESULT CALLBACK keyboardHookProcShim(int code, WPARAM message, LPARAM record);
void CALLBACK focusEventProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                             DWORD thread, DWORD time);
