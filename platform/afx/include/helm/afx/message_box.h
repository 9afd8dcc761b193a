// AfxMessageBox and the seam behind it. AfxMessageBox is MessageBox with the
// application's name as caption and the main window as owner, so the window
// layer's one seam (helm::user::set_message_box_answer) answers both; the
// seam here installs an answer there. headless_answer is the answer of an
// operator who accepts: IDOK, IDYES for yes/no questions, IDIGNORE for
// abort/retry/ignore and IDCANCEL for retry/cancel (never a retry, so no
// loop waits for ever), for a host that runs without an operator.
#pragma once

#include <functional>

#include "helm/user/winuser.h"

#ifndef MB_OK
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONMASK 0x000000F0L
#endif

// The caption is the application's name; the owner the main window.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
// The text is string `id` of the resource chain.
int AfxMessageBox(UINT id, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));

namespace helm::afx {
using MessageBoxSeam = std::function<int(HWND owner, const char* text, const char* caption, UINT type)>;
// Replaces the seam; an empty function restores the real dialog.
void set_message_box(MessageBoxSeam seam);
// The default's answer for a box type.
int headless_answer(UINT type);
}  // namespace helm::afx
