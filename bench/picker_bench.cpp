// The contact picker over 10,000 contacts with pictures, at 192 dpi on a 480 x 800 screen: showing
// it, one key press (filter, refill, synchronous repaint of the list and the keypad, on screen), and one
// drag step on the list while every row shows a highlighted match.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "contacts/contact_book.h"
#include "draw/skin.h"
#include "kit/bench_device.h"
#include "model/message_store.h"
#include "pimstore.h"
#include "platform/gdi/screen.h"
#include "platform/wm/loop.h"
#include "settings/settings.h"
#include "views/picker_view.h"

namespace {

constexpr int kContacts = 10000;
// Keys by position on the pad: "1".."9", then "0" and "←".
constexpr int kDigitKeys[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 7};
constexpr int kBackKey = 3;

// Three-syllable names from common family and given syllables, the same on every run.
std::string NamesVcf(int n) {
  const char* const family[] = {"김", "이", "박", "최", "정", "강", "조", "윤", "장", "임",
                                "한", "오", "서", "신", "권", "황", "안", "송", "류", "홍"};
  const char* const given[] = {"민", "서", "지", "현", "수", "영", "준", "우", "하", "은", "도", "윤", "예",
                               "진", "성", "철", "희", "다", "연", "태", "혜", "경", "상", "재", "미", "나"};
  uint32_t seed = 4242;
  auto next = [&seed](uint32_t m) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % m;
  };
  const std::string photo = bench::PhotoLine();
  std::string vcf;
  for (int i = 0; i < n; ++i) {
    char number[32];
    std::snprintf(number, sizeof number, "010-%04d-%04d", (i * 7919) % 10000, i % 10000);
    vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + std::string(family[next(20)]) + given[next(26)] + given[next(26)] +
           "\r\nTEL;TYPE=CELL:" + number + "\r\n" + photo + "END:VCARD\r\n";
  }
  return vcf;
}

struct Phone {
  Phone() {
    bench::UseDevice(dir.path());
    std::filesystem::create_directories(dir.path() / "Program Files" / "Parlo");
    std::ofstream(dir.path() / "contacts.vcf", std::ios::binary) << NamesVcf(kContacts);
    platform::gdi::CreateScreen(480, 800, 192, 192);
    platform::wm::BindUiThread();
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    void* object = nullptr;
    CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, &object);
    outlook = static_cast<IPOutlookApp*>(object);
    if (outlook) outlook->Logon(nullptr);
    book = std::make_unique<parlo::ContactBook>(outlook);
    book->SetPictureBox(120, 120);
    book->LoadContacts(true);
    settings.find_name = settings.find_call_number = true;
    skin = std::make_unique<parlo::Skin>();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"PickerBenchFrame";
    RegisterClassW(&wc);
    frame = CreateWindowExW(0, u"PickerBenchFrame", u"", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr,
                            nullptr);
    view = std::make_unique<parlo::PickerView>(parlo::ViewContext{settings, store, *skin, book.get(), frame});
    view->CreateViewWindow(frame, RECT{0, 0, 480, 800});
    view->OnShown(0, 0);
    platform::wm::PumpUntilIdle();
  }

  void Press(int key) {
    const RECT r = view->keypad().KeyRect(key);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(view->keypad().hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(view->keypad().hwnd(), WM_LBUTTONUP, 0, at);
    platform::wm::PumpUntilIdle();
  }

  bench::TempDir dir;
  IPOutlookApp* outlook = nullptr;
  std::unique_ptr<parlo::ContactBook> book;
  Settings settings;
  MessageStore store{settings, nullptr};
  std::unique_ptr<parlo::Skin> skin;
  HWND frame = nullptr;
  std::unique_ptr<parlo::PickerView> view;
};

Phone& ThePhone() {
  static Phone phone;
  return phone;
}

void Report(benchmark::State& state, std::vector<double>& ms) {
  std::sort(ms.begin(), ms.end());
  if (ms.empty()) return;
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p90_ms"] = ms[ms.size() * 9 / 10];
}

// Showing the picker again with no keys typed: every contact gets its row.
void BM_Open10k(benchmark::State& state) {
  Phone& phone = ThePhone();
  std::vector<double> ms;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    phone.view->OnShown(0, 0);
    platform::wm::PumpUntilIdle();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    ms.push_back(seconds * 1000.0);
  }
  if (phone.view->list().RowCount() != kContacts) state.SkipWithError("not every contact was listed");
  Report(state, ms);
}
BENCHMARK(BM_Open10k)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

// A first key over the whole book, the hardest press: every contact is matched.
void BM_KeyPress10k(benchmark::State& state) {
  Phone& phone = ThePhone();
  if (phone.book->Count() != kContacts) state.SkipWithError("the contacts were not loaded");
  std::vector<double> ms;
  size_t next = 0;
  for (auto _ : state) {
    const int key = kDigitKeys[next++ % std::size(kDigitKeys)];
    const auto start = std::chrono::steady_clock::now();
    phone.Press(key);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    ms.push_back(seconds * 1000.0);
    if (phone.book->DigitCount() != 1) state.SkipWithError("the key did not reach the query");
    phone.Press(kBackKey);
  }
  Report(state, ms);
}
BENCHMARK(BM_KeyPress10k)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

// "0": every number holds one, so all 10,000 rows stay, each with its match drawn highlighted.
void BM_DragStepHighlighted10k(benchmark::State& state) {
  Phone& phone = ThePhone();
  phone.Press(kDigitKeys[9]);
  HWND list = phone.view->list().hwnd();
  if (phone.view->list().RowCount() != kContacts) state.SkipWithError("the query narrowed the list");
  phone.view->list().EnsureVisible(kContacts / 2);
  platform::wm::PumpUntilIdle();
  if (const char* shot = std::getenv("PARLO_BENCH_SCREENSHOT")) platform::gdi::WriteScreenPng(shot);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(240, 300));
  int y = 300;
  std::vector<double> ms;
  for (auto _ : state) {
    y = (y == 300) ? 280 : 300;  // 20 pixels each way, past the list's threshold
    const auto start = std::chrono::steady_clock::now();
    SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(240, y));
    platform::wm::PumpUntilIdle();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    ms.push_back(seconds * 1000.0);
  }
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(240, y));
  platform::wm::PumpUntilIdle();
  phone.Press(kBackKey);
  Report(state, ms);
}
BENCHMARK(BM_DragStepHighlighted10k)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
