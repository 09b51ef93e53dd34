// The message views with many messages: opening a conversation of 2,000 messages (Fill with
// its text measurement), and one drag step on that conversation and on a message list of
// 2,000 conversations, at 192 dpi on a 480 x 800 screen.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "draw/skin.h"
#include "kit/bench_device.h"
#include "model/conversation.h"
#include "model/message_store.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/window_dc.h"
#include "platform/wm/loop.h"
#include "settings/settings.h"
#include "views/main_view.h"
#include "views/thread_view.h"

namespace {

constexpr int kMessages = 2000;

struct Phone {
  Phone() {
    bench::UseDevice(dir.path());
    platform::gdi::CreateScreen(480, 800, 192, 192);
    platform::wm::BindUiThread();
    skin = std::make_unique<parlo::Skin>();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"ViewsBenchFrame";
    RegisterClassW(&wc);
    frame = CreateWindowExW(0, u"ViewsBenchFrame", u"", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr,
                            nullptr);
  }
  parlo::ViewContext Context() { return parlo::ViewContext{settings, store, *skin, nullptr, frame}; }

  bench::TempDir dir;
  HWND frame = nullptr;
  Settings settings;
  MessageStore store{settings, nullptr};
  std::unique_ptr<parlo::Skin> skin;
};

Phone& ThePhone() {
  static Phone phone;
  return phone;
}

// The model straight from records, as LoadAll leaves it: read messages, texts wrapped as the
// store wraps them for the bubble layout.
void FillModel(int conversations, int perConversation) {
  MessageStore* store = &ThePhone().store;
  store->ClearModel();
  for (int c = 0; c < conversations; ++c) {
    for (int m = 0; m < perConversation; ++m) {
      auto r = std::make_unique<MessageRecord>();
      std::u16string number = u"010";
      for (char digit : std::to_string(10000000 + c)) number.push_back(static_cast<char16_t>(digit));
      StringCchCopyW(r->number, kFieldChars, number.c_str());
      // Every text differs, so no measurement is a repeat of the last.
      std::u16string text = (m % 3 == 0) ? u"내일 점심 같이\n먹을래요? 열두\n시 반에 봐요 " : u"좋아요 그때 봐요 ";
      for (char digit : std::to_string(m)) text.push_back(static_cast<char16_t>(digit));
      StringCchCopyW(r->text, kTextChars, text.c_str());
      StringCchCopyW(r->timeText, kFieldChars, u"03/05 14:07");
      StringCchCopyW(r->messageId, kFieldChars, u"20240305140709000");
      r->isRead = 1;
      r->dbIndex = (m % 2) ? DB_SEND : DB_RECV;
      store->AddRecord(std::move(r), true);
    }
  }
}

template <typename Step>
void Measure(benchmark::State& state, Step step) {
  std::vector<double> steps;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    step();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    steps.push_back(seconds * 1000.0);
  }
  std::sort(steps.begin(), steps.end());
  if (!steps.empty()) {
    state.counters["median_ms"] = steps[steps.size() / 2];
    state.counters["p90_ms"] = steps[steps.size() * 9 / 10];
  }
}

void DragSteps(benchmark::State& state, HWND list) {
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(240, 300));
  int y = 300;
  Measure(state, [&] {
    y = (y == 300) ? 280 : 300;  // 20 pixels each way, past either list's threshold
    SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(240, y));
    platform::wm::PumpUntilIdle();
  });
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(240, y));
  platform::wm::PumpUntilIdle();
}

void BM_OpenConversation(benchmark::State& state) {
  Phone& phone = ThePhone();
  FillModel(1, kMessages);
  {
    parlo::ThreadView view(phone.Context());
    view.CreateViewWindow(phone.frame, RECT{0, 0, 480, 800});
    Measure(state, [&] {
      view.Open(0);
      platform::wm::PumpUntilIdle();
    });
    state.counters["rows"] = view.list().RowCount();
    if (view.list().RowCount() != kMessages) state.SkipWithError("the conversation was not filled");
  }
  platform::wm::PumpUntilIdle();
}
BENCHMARK(BM_OpenConversation)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_DragStepConversation(benchmark::State& state) {
  Phone& phone = ThePhone();
  FillModel(1, kMessages);
  {
    parlo::ThreadView view(phone.Context());
    view.CreateViewWindow(phone.frame, RECT{0, 0, 480, 800});
    view.Open(0);
    view.list().EnsureVisible(kMessages / 2);
    platform::wm::PumpUntilIdle();
    if (platform::gdi::ScreenTextRuns().size() < 8) state.SkipWithError("the messages did not reach the screen");
    DragSteps(state, view.list().hwnd());
  }
  platform::wm::PumpUntilIdle();
}
BENCHMARK(BM_DragStepConversation)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_DragStepMessageList(benchmark::State& state) {
  Phone& phone = ThePhone();
  FillModel(kMessages, 1);
  {
    parlo::MainView view(phone.Context());
    view.CreateViewWindow(phone.frame, RECT{0, 0, 480, 800});
    view.Refill();
    view.list().EnsureVisible(kMessages / 2);
    platform::wm::PumpUntilIdle();
    if (platform::gdi::ScreenTextRuns().size() < 8) state.SkipWithError("the rows did not reach the screen");
    if (const char* shot = std::getenv("PARLO_BENCH_SCREENSHOT")) platform::gdi::WriteScreenPng(shot);
    DragSteps(state, view.list().hwnd());
  }
  platform::wm::PumpUntilIdle();
}
BENCHMARK(BM_DragStepMessageList)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
