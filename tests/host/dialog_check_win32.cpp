// The Windows program's modal dialogs on the system's own functions: the setup dialog is owned by the
// parent given to Dialog_Run, the compressor dialog by Avi_Open's owner, and the frames go through the
// compressor picked there. usage: velmoran-dialog-check <AVI file to write>; prints "N passed, N failed".
#include "host/avi.h"
#include "host/setup.h"
#include "platform/plat.h"
#include "platform/plat_win32.h"

#include <vfw.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
int check_passed = 0, check_failed = 0;

void Check(bool ok, const char* what) {
  ok ? check_passed++ : check_failed++;
  if (!ok) printf("failed: %s\n", what);
}

// A compressor of the check's own, installed for this process only: a frame of 24-bit pixels becomes
// 8 bytes, its number and the sum of its bytes, so the file tells whether each frame went through it.
const DWORD kCodecFourcc = mmioFOURCC('V', 'M', 'T', 'C');
const char kCodecName[] = "Velmoran test codec";
const DWORD kCodecFrameBytes = 8;

bool Codec_Accepts(const BITMAPINFOHEADER* in) { return in && in->biCompression == BI_RGB && in->biBitCount == 24; }

LRESULT CALLBACK Codec_Proc(DWORD_PTR, HDRVR, UINT message, LPARAM first, LPARAM second) {
  switch (message) {
    case DRV_LOAD: case DRV_FREE: case DRV_OPEN: case DRV_CLOSE: case DRV_ENABLE: case DRV_DISABLE:
      return 1;
    case ICM_GETINFO: {
      ICINFO* info = reinterpret_cast<ICINFO*>(first);
      memset(info, 0, sizeof *info);
      info->dwSize = sizeof *info;
      info->fccType = ICTYPE_VIDEO;
      info->fccHandler = kCodecFourcc;
      info->dwVersionICM = ICVERSION;
      MultiByteToWideChar(CP_ACP, 0, "VMTC", -1, info->szName, 16);
      MultiByteToWideChar(CP_ACP, 0, kCodecName, -1, info->szDescription, 128);
      return sizeof *info;
    }
    case ICM_COMPRESS_QUERY:
      return Codec_Accepts(reinterpret_cast<BITMAPINFOHEADER*>(first)) ? ICERR_OK : ICERR_BADFORMAT;
    case ICM_COMPRESS_GET_FORMAT: {
      if (!second) return sizeof(BITMAPINFOHEADER);
      BITMAPINFOHEADER* out = reinterpret_cast<BITMAPINFOHEADER*>(second);
      *out = *reinterpret_cast<BITMAPINFOHEADER*>(first);
      out->biCompression = kCodecFourcc;
      out->biSizeImage = kCodecFrameBytes;
      return ICERR_OK;
    }
    case ICM_COMPRESS_GET_SIZE:
      return kCodecFrameBytes;
    case ICM_COMPRESS_BEGIN: case ICM_COMPRESS_END: case ICM_GETSTATE: case ICM_SETSTATE:
      return 0;
    case ICM_COMPRESS: {
      ICCOMPRESS* c = reinterpret_cast<ICCOMPRESS*>(first);
      const BITMAPINFOHEADER* in = c->lpbiInput;
      DWORD bytes = ((in->biWidth * 3 + 3) & ~3) * DWORD(in->biHeight < 0 ? -in->biHeight : in->biHeight);
      DWORD out[2] = {DWORD(c->lFrameNum), 0};
      for (DWORD i = 0; i < bytes; i++) out[1] += static_cast<const u8*>(c->lpInput)[i];
      memcpy(c->lpOutput, out, sizeof out);
      c->lpbiOutput->biSizeImage = kCodecFrameBytes;
      if (c->lpdwFlags) *c->lpdwFlags = AVIIF_KEYFRAME;
      return ICERR_OK;
    }
    default:
      return message < DRV_USER ? 0 : ICERR_UNSUPPORTED;
  }
}

// What the answering thread saw of a dialog: the window at the end of its chain of owners (the system
// may put a hidden dialog of its own between).
HWND seen_owner = nullptr;
bool seen_dialog = false;

HWND Find_Dialog(const char* title) {
  for (int tries = 0; tries < 600; tries++) {
    HWND w = FindWindowA("#32770", title);
    if (w && IsWindowVisible(w)) return w;
    Sleep(50);
  }
  return nullptr;
}

// Exit in the setup dialog.
DWORD WINAPI Answer_Setup(LPVOID) {
  HWND dialog = Find_Dialog("Velmoran / Tarvek (WIN32 Version)");
  if (!dialog) return 1;
  seen_dialog = true;
  seen_owner = GetAncestor(dialog, GA_ROOTOWNER);
  SendMessageA(GetDlgItem(dialog, SETUP_EXIT), BM_CLICK, 0, 0);
  return 0;
}

// The check's compressor picked in the compressor dialog, then OK.
DWORD WINAPI Answer_Compressor(LPVOID) {
  HWND dialog = Find_Dialog("Video Compression");
  if (!dialog) return 1;
  seen_dialog = true;
  seen_owner = GetAncestor(dialog, GA_ROOTOWNER);
  HWND list = FindWindowExA(dialog, nullptr, "ComboBox", nullptr);
  SendMessageA(list, CB_SELECTSTRING, WPARAM(-1), LPARAM(kCodecName));
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE), LPARAM(list));
  SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  return 0;
}

// Runs the modal step while a thread answers its dialog; the owner that dialog had.
template <typename Step>
HWND Owner_While(LPTHREAD_START_ROUTINE answer, Step step) {
  seen_owner = nullptr;
  seen_dialog = false;
  HANDLE thread = CreateThread(nullptr, 0, answer, nullptr, 0, nullptr);
  step();
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  Check(seen_dialog, "the dialog was not seen");
  return seen_owner;
}

intptr_t Main_Proc(PlatWindow window, u32 message, uintptr_t wparam, intptr_t lparam) {
  return Plat_Def_Window_Proc(window, message, wparam, lparam);
}

u32 Le32(const std::vector<u8>& file, size_t at) {
  u32 v = 0;
  if (at + 4 <= file.size()) memcpy(&v, &file[at], 4);
  return v;
}

// Where a four-character code first stands in the file (its size when nowhere).
size_t Find(const std::vector<u8>& file, const char* id) {
  return size_t(std::search(file.begin(), file.end(), id, id + 4) - file.begin());
}

// The file's video frames: the data of each chunk of the movie list.
std::vector<std::vector<u8>> Frames(const std::vector<u8>& file) {
  std::vector<std::vector<u8>> frames;
  size_t movi = Find(file, "movi");
  if (movi < 8 || movi >= file.size()) return frames;
  size_t at = movi + 4, end = movi + Le32(file, movi - 4);
  for (; at + 8 <= end && at + 8 <= file.size(); at += 8 + ((Le32(file, at + 4) + 1) & ~1u)) {
    if (memcmp(&file[at], "00d", 3) != 0) continue;
    size_t size = Le32(file, at + 4);
    if (at + 8 + size <= file.size()) frames.emplace_back(file.begin() + at + 8, file.begin() + at + 8 + size);
  }
  return frames;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  PlatConfig config;
  config.backend = PLAT_WIN32;
  if (!Plat_Init(config)) return 2;
  PlatClass main_class = {Main_Proc, "VelMoran / Tarvek", 8};
  PlatWindow main_window = Plat_Register_Class(&main_class) ? Plat_Create_Window(main_class.name, "check", 64, 64) : 0;
  if (!main_window) return 2;

  // The setup dialog run with the main window as its parent.
  SetupDialog setup(kSetupDialogId, main_window);
  intptr_t code = 0;
  HWND owner = Owner_While(Answer_Setup, [&] { code = setup.Dialog_Run(); });
  Check(code == SETUP_EXIT, "the setup dialog did not end with Exit");
  Check(owner && owner == Plat_Win32_Window(), "the setup dialog is not owned by its parent");

  // The compressor dialog, owned by a window of the check's own; three frames of one colour each.
  HWND own = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
  Check(ICInstall(ICTYPE_VIDEO, kCodecFourcc, LPARAM(Codec_Proc), nullptr, ICINSTALL_FUNCTION), "ICInstall");
  i32 opened = 0;
  owner = Owner_While(Answer_Compressor,
                      [&] { opened = Avi_Open(argv[1], 0, 25, PlatWindow(uintptr_t(own)), 8, 4); });
  Check(opened == AVI_OK, "Avi_Open");
  Check(owner && owner == own, "the compressor dialog is not owned by Avi_Open's owner");
  const u32 kColours[] = {0x010203, 0xFFFFFF, 0x000080};
  for (u32 colour : kColours) {
    std::vector<u32> pixels(8 * 4, colour);
    Check(Avi_Write_Frame(pixels.data(), 8 * 4) == AVI_OK, "Avi_Write_Frame");
  }
  Avi_Close();
  ICRemove(ICTYPE_VIDEO, kCodecFourcc, 0);
  DestroyWindow(own);
  Plat_Done();

  // The format is the compressor's, and each frame is what the compressor made of it: its number and
  // the sum of 32 pixels' blue, green and red bytes.
  std::vector<u8> file;
  if (FILE* f = fopen(argv[1], "rb")) {
    for (int c; (c = fgetc(f)) != EOF;) file.push_back(u8(c));
    fclose(f);
  }
  Check(Le32(file, Find(file, "strf") + 8 + 16) == kCodecFourcc, "the stream's format is not the compressor's");
  const u32 kFrames[][2] = {{0, 32 * (1 + 2 + 3)}, {1, 32 * 3 * 255}, {2, 32 * 128}};
  std::vector<std::vector<u8>> frames = Frames(file);
  Check(frames.size() == 3, "not three frames");
  for (size_t i = 0; i < frames.size() && i < 3; i++) {
    u32 got[2] = {~0u, ~0u};
    if (frames[i].size() == sizeof got) memcpy(got, frames[i].data(), sizeof got);
    printf("frame %zu: %zu bytes, number %u, sum %u\n", i, frames[i].size(), got[0], got[1]);
    Check(got[0] == kFrames[i][0] && got[1] == kFrames[i][1], "a frame not made by the compressor");
  }
  printf("%d passed, %d failed\n", check_passed, check_failed);
  return check_failed ? 1 : 0;
}
