// frmDesign as a Win32 window. The design keeps the window's state (captions,
// enabled states, loaded or not) and shows it to this host at each of its
// pump points; the host creates the window at the first pump (the Load
// event), brings the controls up to date, and then handles every pending
// window message. A button press is handed back to the design as a click,
// which the design delivers to its handler right after the pump.
#include <windows.h>

#include <string>

#include "windows/platform/WindowsPlatform.h"

namespace ostrel::windows {

namespace {

constexpr const wchar_t* kWindowClass = L"OstrelDesignCSA94.frmDesign";

// Control identifiers; the buttons carry the design's button numbers.
enum ControlId : int { kCommand1 = 1, kCommand2 = 2, kFrame1 = 10, kLabel1, kStatus, kCounter };

// Layout in twips: client area, then each control's left, top, width, height
// in the client area (the frame's children are offset by the frame's origin).
constexpr int kClientWidth = 3645, kClientHeight = 1980;
constexpr int kFrameLeft = 120, kFrameTop = 60;
struct Placement {
  int id;
  const wchar_t* windowClass;
  DWORD style;
  int left, top, width, height;
};
constexpr Placement kControls[] = {
    {kFrame1, L"BUTTON", BS_GROUPBOX, 120, 60, 3405, 1785},
    {kCommand2, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kFrameLeft + 210, kFrameTop + 1200, 1215,
     375},
    {kCommand1, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kFrameLeft + 1890, kFrameTop + 1200, 1215,
     375},
    {kLabel1, L"STATIC", SS_LEFT, kFrameLeft + 120, kFrameTop + 240, 735, 255},
    {kStatus, L"STATIC", SS_LEFT, kFrameLeft + 960, kFrameTop + 240, 1965, 255},
    {kCounter, L"STATIC", SS_LEFT, kFrameLeft + 960, kFrameTop + 600, 1815, 255},
};

struct ThreadWindow {
  HWND hwnd = nullptr;
  HWND owner = nullptr;  // the window disabled while this one is up
};
thread_local ThreadWindow tWindow;

struct Resolution {
  int x, y;  // pixels per inch
};

Resolution ScreenResolution() {
  HDC screen = GetDC(nullptr);
  Resolution r{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
  ReleaseDC(nullptr, screen);
  if (r.x <= 0) r.x = 96;
  if (r.y <= 0) r.y = 96;
  return r;
}

int PixelsX(int twips, const Resolution& r) { return MulDiv(twips, r.x, 1440); }
int PixelsY(int twips, const Resolution& r) { return MulDiv(twips, r.y, 1440); }

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED &&
          (LOWORD(wParam) == kCommand1 || LOWORD(wParam) == kCommand2)) {
        OstrelDesignCSA94_ClickButton(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_CLOSE:
      // The window closes through its buttons only, as the design decides.
      return 0;
    default: break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateProgressWindow(const OstrelProgressView& view) {
  const Resolution res = ScreenResolution();
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD exStyle = WS_EX_DLGMODALFRAME;
  RECT frame{0, 0, PixelsX(kClientWidth, res), PixelsY(kClientHeight, res)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

  HWND owner = GetActiveWindow();
  HINSTANCE instance = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&WindowProc), &instance);
  HWND hwnd = CreateWindowExW(exStyle, kWindowClass, Widen(view.Caption).c_str(), style, left, top,
                              width, height, owner, nullptr, instance, nullptr);
  if (hwnd == nullptr) return nullptr;
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const Placement& c : kControls) {
    HWND control = CreateWindowExW(
        0, c.windowClass, L"", WS_CHILD | WS_VISIBLE | c.style, PixelsX(c.left, res),
        PixelsY(c.top, res), PixelsX(c.width, res), PixelsY(c.height, res), hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    if (control != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  }
  // Modal: the owner takes no input while the window is up.
  if (owner != nullptr && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    tWindow.owner = owner;
  }
  return hwnd;
}

void SetText(HWND control, const char* text) {
  const std::wstring wanted = Widen(text);
  wchar_t current[256] = {};
  GetWindowTextW(control, current, 256);
  if (wanted != current) SetWindowTextW(control, wanted.c_str());
}

void SetEnabled(HWND control, bool enabled) {
  if ((IsWindowEnabled(control) != FALSE) != enabled) EnableWindow(control, enabled ? TRUE : FALSE);
}

void ShowView(HWND hwnd, const OstrelProgressView& view) {
  SetText(hwnd, view.Caption);
  SetText(GetDlgItem(hwnd, kLabel1), view.Label1);
  SetText(GetDlgItem(hwnd, kStatus), view.lblStatus);
  SetText(GetDlgItem(hwnd, kCounter), view.lblCounter);
  SetText(GetDlgItem(hwnd, kCommand1), view.Command1Caption);
  SetText(GetDlgItem(hwnd, kCommand2), view.Command2Caption);
  SetEnabled(GetDlgItem(hwnd, kCommand1), view.Command1Enabled != 0);
  SetEnabled(GetDlgItem(hwnd, kCommand2), view.Command2Enabled != 0);
}

// True while the design only waits for the person: suspended, or its run
// over with the window left open.
bool WaitingForPerson(const OstrelProgressView& view) {
  const std::string caption = view.Command1Caption;
  return caption == "&Continue" || caption == "&Close" || caption == "Close";
}

}  // namespace

bool RegisterProgressWindowClass(HMODULE module) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_NOCLOSE;
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void PumpProgressWindow(void* /*context*/, const OstrelProgressView* view) {
  if (view == nullptr) return;
  if (tWindow.hwnd == nullptr || !IsWindow(tWindow.hwnd)) {
    tWindow.hwnd = CreateProgressWindow(*view);
    if (tWindow.hwnd == nullptr) return;
    ShowView(tWindow.hwnd, *view);
    ShowWindow(tWindow.hwnd, SW_SHOW);
    SetForegroundWindow(tWindow.hwnd);
    UpdateWindow(tWindow.hwnd);
  }
  ShowView(tWindow.hwnd, *view);
  // While the design only waits, sleep until input arrives (or a short
  // while, for clicks queued by other means) instead of spinning.
  if (WaitingForPerson(*view)) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Left for the host's own message loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!IsDialogMessageW(tWindow.hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void DestroyProgressWindow() {
  if (tWindow.owner != nullptr) {
    EnableWindow(tWindow.owner, TRUE);
    SetActiveWindow(tWindow.owner);
    tWindow.owner = nullptr;
  }
  if (tWindow.hwnd != nullptr) {
    DestroyWindow(tWindow.hwnd);
    tWindow.hwnd = nullptr;
  }
}

}  // namespace ostrel::windows
