// Edit box typing speed: one keystroke (a character, Enter, Backspace)
// sent as a window message to a focused multi-line edit that holds 10,000
// lines, at the end and in the middle of the text. Each keystroke inserts,
// rebuilds the line table, re-measures what changed, moves the caret and
// redraws the visible lines.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "ui/controls/edit.h"
#include "ui/core/library.h"
#include "ui/host/window.h"

namespace {

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i) text += "\r\n";
    text += "line " + std::to_string(i) + " 青梧网游 abcdefghijklmnopqrstuvwxyz";
  }
  return text;
}

// Median of `runs` keystrokes of `key` (a character or a key down).
double Keystroke(HWND hwnd, UINT message, WPARAM key, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double t0 = bench::NowMs();
    SendMessageW(hwnd, message, key, 1);
    times.push_back(bench::NowMs() - t0);
  }
  return bench::Median(std::move(times));
}

}  // namespace

int main() {
  ui::InitLibrary();
  HWND hwnd = CreateWindowExW(0, ui::kWindowClassName, L"bench", WS_POPUP, 0, 0, 500, 400, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ui::UiWindow host;
  ui::UiWindow::CreateOptions options;
  options.captionStyle = 0;
  options.backgroundColor = RGB(255, 255, 255);
  if (!hwnd || !host.Create(hwnd, options) || !ui::Library().defaultFont) {
    std::printf("edit_typing: no window or no default font\n");
    return 1;
  }
  ui::UiEdit edit;
  ui::UiEdit::Options o;
  o.multiLine = true;
  edit.Create(hwnd, 10, 10, 460, 360, o);
  host.SetFocusElement(&edit, true);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

  const double t0 = bench::NowMs();
  edit.Text(Lines(10000), true);
  std::printf("edit_typing: set 10000 lines with the caret at the end: %.1f ms\n", bench::NowMs() - t0);
  const int runs = 15;
  std::printf("edit_typing: at the end of 10000 lines: character %.2f ms, Enter %.2f ms, Backspace %.2f ms\n",
              Keystroke(hwnd, WM_CHAR, 'x', runs), Keystroke(hwnd, WM_KEYDOWN, VK_RETURN, runs),
              Keystroke(hwnd, WM_KEYDOWN, VK_BACK, runs));
  edit.Select({5000, 10}, {5000, 10});
  std::printf("edit_typing: in line 5000 of 10000:      character %.2f ms, Enter %.2f ms, Backspace %.2f ms\n",
              Keystroke(hwnd, WM_CHAR, 'x', runs), Keystroke(hwnd, WM_KEYDOWN, VK_RETURN, runs),
              Keystroke(hwnd, WM_KEYDOWN, VK_BACK, runs));
  edit.Destroy();
  DestroyWindow(hwnd);
  return 0;
}
