// Edit box typing speed: one keystroke (a character, Enter, Backspace)
// sent as a window message to a focused multi-line edit that holds 1,000,
// 10,000 and 100,000 lines, at the end and in the middle of the text. Each
// keystroke edits the line store, measures the changed lines, moves the
// caret and redraws. The cost must not grow with the text: the figure at
// 100,000 lines over the one at 1,000 is printed for each kind of key.
// The reference path (every edit rebuilds the line table and measures every
// line with GDI+, as before incremental layout) is timed at 1,000 and
// 10,000 lines for comparison.
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
  text.reserve(static_cast<std::size_t>(count) * 50);
  for (int i = 0; i < count; ++i) {
    if (i) text += "\r\n";
    text += "line " + std::to_string(i) + " 青梧网游 abcdefghijklmnopqrstuvwxyz";
  }
  return text;
}

// The same, each line 40 ideographs in code page 936, taken in turn from
// the first 20,000 of the block.
std::string UnseenCharacterLines(int count) {
  std::wstring wide;
  for (int i = 0; i < count; ++i) {
    if (i) wide += L"\r\n";
    for (int k = 0; k < 40; ++k) wide += static_cast<wchar_t>(0x4E00 + (i * 40 + k) % 20000);
  }
  const int bytes = WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), text.data(), bytes, nullptr, nullptr);
  return text;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Median of `runs` keystrokes of `key` (a character or a key down),
// including the redraw the keystroke posts.
double Keystroke(HWND hwnd, UINT message, WPARAM key, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double t0 = bench::NowMs();
    SendMessageW(hwnd, message, key, 1);
    Pump();
    times.push_back(bench::NowMs() - t0);
  }
  return bench::Median(std::move(times));
}

struct Figures {
  double end[3] = {};     // character, Enter, Backspace at the end of the text
  double middle[3] = {};  // the same in the middle line
  double firstMiddle = 0;  // the first character typed in the middle line (not a median)
};

Figures Type(HWND hwnd, ui::UiEdit& edit, int lines, int runs) {
  Figures f;
  edit.Text(Lines(lines), true);
  Pump();
  f.end[0] = Keystroke(hwnd, WM_CHAR, 'x', runs);
  f.end[1] = Keystroke(hwnd, WM_KEYDOWN, VK_RETURN, runs);
  f.end[2] = Keystroke(hwnd, WM_KEYDOWN, VK_BACK, runs);
  edit.Select({lines / 2, 10}, {lines / 2, 10});
  Pump();
  f.firstMiddle = Keystroke(hwnd, WM_CHAR, 'x', 1);
  f.middle[0] = Keystroke(hwnd, WM_CHAR, 'x', runs);
  f.middle[1] = Keystroke(hwnd, WM_KEYDOWN, VK_RETURN, runs);
  f.middle[2] = Keystroke(hwnd, WM_KEYDOWN, VK_BACK, runs);
  return f;
}

void Print(const char* path, int lines, const Figures& f) {
  std::printf("edit_typing: %s %6d lines: end: char %6.2f ms, Enter %6.2f ms, Backspace %6.2f ms; "
              "middle: char %6.2f ms, Enter %6.2f ms, Backspace %6.2f ms; first char in the middle %6.2f ms\n",
              path, lines, f.end[0], f.end[1], f.end[2], f.middle[0], f.middle[1], f.middle[2], f.firstMiddle);
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
  Pump();

  const double t0 = bench::NowMs();
  edit.Text(Lines(10000), true);
  std::printf("edit_typing: set 10000 lines with the caret at the end: %.1f ms\n", bench::NowMs() - t0);

  const int counts[3] = {1000, 10000, 100000};
  Figures fast[3];
  for (int k = 0; k < 3; ++k) {
    fast[k] = Type(hwnd, edit, counts[k], 15);
    Print("fast     ", counts[k], fast[k]);
  }
  std::printf("edit_typing: 100000/1000 lines: end: char %.2fx, Enter %.2fx, Backspace %.2fx; "
              "middle: char %.2fx, Enter %.2fx, Backspace %.2fx\n",
              fast[2].end[0] / fast[0].end[0], fast[2].end[1] / fast[0].end[1], fast[2].end[2] / fast[0].end[2],
              fast[2].middle[0] / fast[0].middle[0], fast[2].middle[1] / fast[0].middle[1],
              fast[2].middle[2] / fast[0].middle[2]);

  // Lines of 40 ideographs, none repeated within 500 lines: each Backspace
  // at the end brings back a line from above whose characters this edit
  // has not yet drawn on their own.
  edit.Text(UnseenCharacterLines(10000), true);
  Pump();
  Keystroke(hwnd, WM_KEYDOWN, VK_RETURN, 15);
  std::printf("edit_typing: fast      10000 lines of new ideographs: Backspace at the end %6.2f ms\n",
              Keystroke(hwnd, WM_KEYDOWN, VK_BACK, 15));

  edit.SetLayoutStrategy({false, false});
  for (int k = 0; k < 2; ++k) Print("reference", counts[k], Type(hwnd, edit, counts[k], 3));
  edit.Destroy();
  DestroyWindow(hwnd);
  return 0;
}
