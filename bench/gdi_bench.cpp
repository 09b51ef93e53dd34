// Drawing speed: full-screen copies and fills against plain memory operations, and a line of
// Korean text with its glyphs cached.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "wingdi.h"
#include "platform/gdi/window_dc.h"

namespace {

constexpr int kW = 480, kH = 800;

struct Offscreen {
  Offscreen() {
    platform::gdi::CreateScreen(kW, kH, 192, 192);
    screen = platform::gdi::CreateScreenDC(POINT{0, 0}, {RECT{0, 0, kW, kH}});
    mem = CreateCompatibleDC(screen);
    bmp = CreateCompatibleBitmap(screen, kW, kH);
    old = SelectObject(mem, bmp);
  }
  ~Offscreen() {
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    platform::gdi::DeleteScreenDC(screen);
  }
  HDC screen, mem;
  HBITMAP bmp;
  HGDIOBJ old;
};

void BM_BitBltFullScreen(benchmark::State& state) {
  Offscreen o;
  for (auto _ : state) {
    BitBlt(o.screen, 0, 0, kW, kH, o.mem, 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}
BENCHMARK(BM_BitBltFullScreen);

void BM_MemcpyFullScreen(benchmark::State& state) {
  std::vector<uint32_t> a(kW * kH, 1), b(kW * kH);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}
BENCHMARK(BM_MemcpyFullScreen);

void BM_FillRectFullScreen(benchmark::State& state) {
  Offscreen o;
  HBRUSH brush = CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0));
  RECT all{0, 0, kW, kH};
  for (auto _ : state) {
    FillRect(o.mem, &all, brush);
    benchmark::ClobberMemory();
  }
  DeleteObject(brush);
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}
BENCHMARK(BM_FillRectFullScreen);

void BM_MemsetFullScreen(benchmark::State& state) {
  std::vector<uint32_t> a(kW * kH);
  for (auto _ : state) {
    std::memset(a.data(), 0xF0, a.size() * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kW * kH * 4);
}
BENCHMARK(BM_MemsetFullScreen);

void BM_DrawTextKoreanLine(benchmark::State& state) {
  Offscreen o;
  LOGFONTW lf{};
  lf.lfHeight = -((9 * 192 + 36) / 72);  // 9 points at 192 dpi
  const char16_t face[] = u"Tahoma";
  for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ oldFont = SelectObject(o.mem, font);
  SetBkMode(o.mem, TRANSPARENT);
  // 40 characters: a typical message preview line.
  const char16_t* text = u"오늘 저녁에 시간 괜찮으세요? 회의 끝나고 같이 밥 먹으러 가요 ㅎㅎㅎㅎ";
  RECT row{0, 0, kW, 60};
  DrawTextW(o.mem, text, 40, &row, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);  // warm the glyph cache
  for (auto _ : state) {
    // The off-screen row is cleared the way a repaint does, so the text layer does not grow.
    FillRect(o.mem, &row, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawTextW(o.mem, text, 40, &row, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
  }
  SelectObject(o.mem, oldFont);
  DeleteObject(font);
}
BENCHMARK(BM_DrawTextKoreanLine)->Unit(benchmark::kMicrosecond);

void BM_FillRow(benchmark::State& state) {
  Offscreen o;
  RECT row{0, 0, kW, 60};
  for (auto _ : state) FillRect(o.mem, &row, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}
BENCHMARK(BM_FillRow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
