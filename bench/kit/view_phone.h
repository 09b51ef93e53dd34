// A phone for benchmarking one view: its own device, the skin library installed, a 480 x 800
// screen at 192 dpi, and a visible frame window the view is made a child of. Header only, for
// the benches that link the views.
#pragma once
#include <windows.h>

#include <memory>

#include "draw/skin.h"
#include "kit/bench_device.h"
#include "model/message_store.h"
#include "platform/gdi/screen.h"
#include "platform/resfile/install.h"
#include "platform/ui/controls.h"
#include "platform/wm/loop.h"
#include "settings/settings.h"
#include "views/view_context.h"

namespace bench {

struct ViewPhone {
  static constexpr int kWidth = 480, kHeight = 800;

  explicit ViewPhone(const WCHAR* frameClass) {
    UseDevice(dir.path());
    platform::resfile::InstallLibrary();
    platform::gdi::CreateScreen(kWidth, kHeight, 192, 192);
    platform::wm::BindUiThread();
    platform::ui::RegisterSystemClasses();
    skin = std::make_unique<parlo::Skin>();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = frameClass;
    RegisterClassW(&wc);
    frame = CreateWindowExW(0, frameClass, u"", WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr, nullptr,
                            nullptr);
  }
  parlo::ViewContext Context() { return parlo::ViewContext{settings, store, *skin, nullptr, frame}; }

  TempDir dir;
  HWND frame = nullptr;
  Settings settings;
  MessageStore store{settings, nullptr};
  std::unique_ptr<parlo::Skin> skin;
};

}  // namespace bench
