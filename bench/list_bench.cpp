// The finger-scrolled list under a dragging finger: one drag step (move, invalidate,
// synchronous paint, present) of rows like the message list's, at 192 dpi in a 480 x 630
// window. The row count (100 / 1,000 / 100,000) must not change the cost of a step.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "draw/dpi.h"
#include "draw/point_font.h"
#include "kit/bench_device.h"
#include "platform/gdi/screen.h"
#include "platform/wm/loop.h"
#include "views/kinetic_list.h"

namespace {

using parlo::ScaleX;
using parlo::ScaleY;

// A conversation-like row: picture on the left, a name and a preview line.
class BenchList : public parlo::KineticList {
 public:
  BenchList() {
    parlo::CreatePointFont(nameFont_, 140, u"Tahoma", nullptr, false, false);
    parlo::CreatePointFont(textFont_, 90, u"Tahoma", nullptr, false, false);
    // A 120 x 120 picture on magenta, as the default contact picture is drawn.
    std::vector<uint32_t> pixels(120 * 120, 0xFF00FF);
    for (int y = 10; y < 110; ++y)
      for (int x = 10; x < 110; ++x) pixels[y * 120 + x] = 0x8090C0 + ((x + y) & 0x1F);
    picture_.Reset(CreateBitmap(120, 120, 1, 32, pixels.data()));
    rowBrush_.Reset(CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0)));
    cursorBrush_.Reset(CreateSolidBrush(RGB(0xC0, 0xC0, 0xC0)));
    separator_.Reset(CreatePen(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0)));
  }

 protected:
  void PaintRow(HDC dc, int index, const RECT& rect) override {
    const parlo::ListItem* row = RowAt(index);
    const int box = ScaleX(60);
    // The whole row is covered: the list does not clear under its rows.
    FillRect(dc, &rect, (row->state & parlo::ListItem::kCursor) ? cursorBrush_.Get() : rowBrush_.Get());
    TransparentImage(dc, rect.left, rect.top, box, box, picture_.Get(), 0, 0, 120, 120, RGB(255, 0, 255));
    RECT rest{rect.left + box, rect.top, rect.right, rect.bottom};
    SetBkMode(dc, TRANSPARENT);
    RECT name{rest.left + ScaleX(2), rest.top + ScaleY(2), rest.right - ScaleX(7), rest.top + ScaleY(30)};
    HGDIOBJ old = SelectObject(dc, nameFont_.Get());
    DrawTextW(dc, u"김민지", -1, &name, DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, textFont_.Get());
    RECT preview{name.left, name.bottom, name.right, rest.bottom - ScaleY(4)};
    DrawTextW(dc, row->text.c_str(), static_cast<int>(row->text.size()), &preview,
              DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, old);
    HGDIOBJ oldPen = SelectObject(dc, separator_.Get());
    MoveToEx(dc, rect.left + 1, rect.bottom - 1, nullptr);
    LineTo(dc, rect.right - 1, rect.bottom - 1);
    SelectObject(dc, oldPen);
  }

 private:
  parlo::FontHolder nameFont_;
  parlo::FontHolder textFont_;
  parlo::BitmapHolder picture_;
  parlo::BrushHolder rowBrush_;
  parlo::BrushHolder cursorBrush_;
  parlo::PenHolder separator_;
};

struct Phone {
  Phone() {
    bench::UseDevice(dir.path());
    platform::gdi::CreateScreen(480, 800, 192, 192);
    platform::wm::BindUiThread();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"ListBenchParent";
    RegisterClassW(&wc);
  }
  bench::TempDir dir;
};

Phone& ThePhone() {
  static Phone phone;
  return phone;
}

void BM_DragStep(benchmark::State& state) {
  ThePhone();
  const int rows = static_cast<int>(state.range(0));
  HWND parent = CreateWindowExW(0, u"ListBenchParent", u"", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr,
                                nullptr, nullptr);
  {
    BenchList list;
    list.Create(parent, RECT{0, 100, 480, 730}, 2210);
    list.SetDragThresholds(6, 6);
    for (int i = 0; i < rows; ++i) {
      auto* row = new parlo::ListItem();  // 120 pixels at 192 dpi
      row->text = u"내일 점심 같이 먹을래요? 열두 시 반에 회사 앞에서 봐요 " + std::u16string(1, u'0' + i % 10);
      list.AppendRow(row);
      row->Release();
    }
    list.EndFilling();
    list.EnsureVisible(rows / 2);  // the middle: as many rows above as below
    platform::wm::PumpUntilIdle();

    // A step that paints nothing would measure nothing: the rows' texts must be on the screen.
    if (platform::gdi::ScreenTextRuns().size() < 8) state.SkipWithError("the rows did not reach the screen");
    if (const char* shot = std::getenv("PARLO_BENCH_SCREENSHOT")) platform::gdi::WriteScreenPng(shot);

    HWND h = list.hwnd();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(240, 300));
    std::vector<double> steps;
    int y = 300;
    for (auto _ : state) {
      y = (y == 300) ? 280 : 300;  // 20 pixels each way, past the threshold
      const auto start = std::chrono::steady_clock::now();
      SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(240, y));
      platform::wm::PumpUntilIdle();  // present
      const auto end = std::chrono::steady_clock::now();
      const double seconds = std::chrono::duration<double>(end - start).count();
      state.SetIterationTime(seconds);
      steps.push_back(seconds * 1000.0);
    }
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(240, y));
    std::sort(steps.begin(), steps.end());
    if (!steps.empty()) {
      state.counters["median_ms"] = steps[steps.size() / 2];
      state.counters["p90_ms"] = steps[steps.size() * 9 / 10];
    }
  }
  DestroyWindow(parent);
  platform::wm::PumpUntilIdle();
}
BENCHMARK(BM_DragStep)->Arg(100)->Arg(1000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
