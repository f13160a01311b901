// Drives the Windows program's real user interface from outside, as a person would: starts it,
// clicks setup-dialog controls by id, presses Escape in its window or its close box, answers its
// error box (after reading it for a while) or presses OK in a dialog by title. usage: velmoran-drive
// [--no-output] <program> [click:ID,ID,...] [escape:MS] [close:MS] [read:MS] [box:TEXT] [ok|cancel:TITLE]
// ...; prints "exit N". --no-output starts it as from the desktop: standard output and error reach nothing.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
const DWORD kWaitMs = 60000;
const int kSetupIds[] = {1, 2, 1000, 1001, 1002, 1003, 1004, 1005};
PROCESS_INFORMATION drive_process;

// Waits for a top-level window of the program with the given class and title.
HWND Drive_Find(const char* window_class, const char* title) {
  for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
    HWND w = FindWindowA(window_class, title);
    if (w && IsWindowVisible(w)) return w;
    if (WaitForSingleObject(drive_process.hProcess, 50) == WAIT_OBJECT_0) break;
  }
  return nullptr;
}

bool Drive_Click(const char* ids) {
  HWND dialog = Drive_Find("#32770", "Velmoran / Tarvek (WIN32 Version)");
  if (!dialog) return printf("no setup dialog\n"), false;
  char label[64];
  for (int id : kSetupIds) {
    if (!GetDlgItemTextA(dialog, id, label, sizeof label)) return printf("setup dialog: no control %d\n", id), false;
    printf("setup control %d: %s\n", id, label);
  }
  printf("setup dialog: 320 x 200 %s, VSync %s\n",
         SendDlgItemMessageA(dialog, 1000, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked" : "clear",
         SendDlgItemMessageA(dialog, 1003, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked" : "clear");
  for (const char* p = ids; *p;) {
    int id = atoi(p);
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    printf("clicked %d\n", id);
    p += strcspn(p, ",");
    if (*p) p++;
  }
  return true;
}

// The main window, with its frame and the class style it was registered with.
HWND Drive_Main(void) {
  HWND window = Drive_Find("VelMoran / Tarvek", "VelMoran / Tarvek");
  if (!window) return printf("no main window\n"), nullptr;
  printf("main window: overlapped %d, class style %#lx\n",
         (GetWindowLongA(window, GWL_STYLE) & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW,
         GetClassLongA(window, GCL_STYLE));
  return window;
}

bool Drive_Escape(int ms) {
  HWND window = Drive_Main();
  if (!window) return false;
  Sleep(ms);
  // Held for a while, as a finger does: the show looks at the key once a frame.
  PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 1);
  Sleep(300);
  PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  printf("escape pressed\n");
  return true;
}

// The close box as the system menu gives it: the program's default procedure closes the window.
bool Drive_Close(int ms) {
  HWND window = Drive_Main();
  if (!window) return false;
  Sleep(ms);
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  printf("close box pressed\n");
  return true;
}

// Presses OK (or Cancel) in the dialog of that title.
bool Drive_Answer(const char* title, int button) {
  HWND dialog = Drive_Find("#32770", title);
  if (!dialog) return printf("no dialog %s\n", title), false;
  Sleep(500);  // read first, as a person does: the program must stay still meanwhile
  SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
  return printf("answered %s with %d\n", title, button), true;
}

// Leaves the error box up for a while, as a person reading it does; the line tells when it is up.
bool Drive_Read_Box(int ms) {
  if (!Drive_Find("#32770", "Error")) return printf("no error box\n"), false;
  printf("error box up for %d ms\n", ms);
  fflush(stdout);
  Sleep(ms);
  return true;
}

bool Drive_Box(const char* text) {
  HWND box = Drive_Find("#32770", "Error");
  if (!box) return printf("no error box\n"), false;
  char shown[256] = "";
  GetDlgItemTextA(box, 0xFFFF, shown, sizeof shown);
  HWND cancel = GetDlgItem(box, IDCANCEL);
  printf("error box%s: %s\n", cancel && IsWindowVisible(cancel) ? " with Cancel" : "", shown);
  SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  return strcmp(shown, text) == 0;
}
}  // namespace

int main(int argc, char** argv) {
  bool no_output = argc > 1 && strcmp(argv[1], "--no-output") == 0;
  argv += no_output, argc -= no_output;
  if (argc < 2) return 2;
  char command[1024];
  snprintf(command, sizeof command, "\"%s\"", argv[1]);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = no_output ? STARTF_USESTDHANDLES : 0;
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &drive_process))
    return printf("cannot start %s\n", argv[1]), 2;
  bool ok = true;
  for (int i = 2; i < argc && ok; i++) {
    fflush(stdout);
    if (strncmp(argv[i], "click:", 6) == 0) ok = Drive_Click(argv[i] + 6);
    else if (strncmp(argv[i], "escape:", 7) == 0) ok = Drive_Escape(atoi(argv[i] + 7));
    else if (strncmp(argv[i], "close:", 6) == 0) ok = Drive_Close(atoi(argv[i] + 6));
    else if (strncmp(argv[i], "box:", 4) == 0) ok = Drive_Box(argv[i] + 4);
    else if (strncmp(argv[i], "read:", 5) == 0) ok = Drive_Read_Box(atoi(argv[i] + 5));
    else if (strncmp(argv[i], "ok:", 3) == 0) ok = Drive_Answer(argv[i] + 3, IDOK);
    else if (strncmp(argv[i], "cancel:", 7) == 0) ok = Drive_Answer(argv[i] + 7, IDCANCEL);
    else ok = false;
  }
  DWORD code = 99;
  if (WaitForSingleObject(drive_process.hProcess, kWaitMs) != WAIT_OBJECT_0) {
    printf("the program did not end\n");
    TerminateProcess(drive_process.hProcess, 99);
  } else {
    GetExitCodeProcess(drive_process.hProcess, &code);
  }
  printf("exit %lu\n", code);
  return ok ? 0 : 1;
}
