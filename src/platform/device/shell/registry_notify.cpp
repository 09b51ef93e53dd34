// Registry change notifications to windows. A notification remembers the value's serial
// number; when the UI loop goes idle and the registry file changed (this program's writes or
// another program's, seen through PRAGMA data_version), each one whose serial moved posts its
// message. Posting on every write, not only on a different value, keeps a write of A then B
// then A between two idle passes from going unnoticed.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "aygshell.h"
#include "platform/device/kernel_object.h"
#include "platform/device/registry/registry_keys.h"
#include "platform/device/shell/registry_notify.h"
#include "platform/wm/loop.h"
#include "winuser.h"

namespace platform::device {
namespace {

class RegistryNotification : public KernelObject {
 public:
  registry::OpenKey key;
  registry::Name value;
  HWND hwnd = nullptr;
  UINT msg = 0;
  DWORD userData = 0;
  bool hasCondition = false;
  NOTIFICATIONCONDITION condition{};
  std::u16string conditionText;  // our copy of condition.TargetValue.psz
  bool exists = false;
  int64_t serial = 0;
};

bool Compare(REG_COMPARISONTYPE type, int cmp) {
  switch (type) {
    case REG_CT_EQUAL: return cmp == 0;
    case REG_CT_NOT_EQUAL: return cmp != 0;
    case REG_CT_GREATER: return cmp > 0;
    case REG_CT_GREATER_OR_EQUAL: return cmp >= 0;
    case REG_CT_LESS: return cmp < 0;
    case REG_CT_LESS_OR_EQUAL: return cmp <= 0;
    default: return false;
  }
}

// Whether the new value satisfies the notification's condition.
bool ConditionHolds(const RegistryNotification& n, bool exists, const registry::Value& v) {
  if (!n.hasCondition || n.condition.ctComparisonType == REG_CT_ANYCHANGE) return true;
  if (!exists) return false;
  if (v.type == REG_DWORD && v.data.size() == 4) {
    DWORD value;
    std::memcpy(&value, v.data.data(), 4);
    DWORD mask = n.condition.dwMask ? n.condition.dwMask : 0xFFFFFFFFu;
    DWORD a = value & mask, b = n.condition.TargetValue.dw & mask;
    return Compare(n.condition.ctComparisonType, a == b ? 0 : (a < b ? -1 : 1));
  }
  if (v.type == REG_SZ || v.type == REG_EXPAND_SZ) {
    std::u16string text(v.data.size() / 2, u'\0');
    std::memcpy(text.data(), v.data.data(), text.size() * 2);
    text = text.substr(0, text.find(u'\0'));
    auto lower = [](std::u16string s) {
      for (auto& c : s)
        if (c >= u'A' && c <= u'Z') c += 32;
      return s;
    };
    std::u16string lt = lower(text), lg = lower(n.conditionText);
    switch (n.condition.ctComparisonType) {
      case REG_CT_CONTAINS: return lt.find(lg) != std::u16string::npos;
      case REG_CT_STARTS_WITH: return lt.starts_with(lg);
      case REG_CT_ENDS_WITH: return lt.ends_with(lg);
      default: return false;  // ordering comparisons apply to DWORD values only
    }
  }
  return false;
}

void ReadState(const registry::OpenKey& key, const registry::Name& value, bool* exists, int64_t* serial,
               registry::Value* v) {
  LONG st = registry::GetValue(key.root, key.path, value, v);
  *exists = st == ERROR_SUCCESS;
  *serial = *exists ? v->serial : 0;
}

std::once_flag g_pollerOnce;
uint64_t g_lastStamp = 0;
bool g_haveStamp = false;

void Poll() {
  uint64_t stamp = registry::ChangeStamp();
  if (g_haveStamp && stamp == g_lastStamp) return;
  g_lastStamp = stamp;
  g_haveStamp = true;
  std::vector<std::pair<uint32_t, std::shared_ptr<RegistryNotification>>> live;
  KernelHandles().ForEach([&](uint32_t h, const std::shared_ptr<KernelObject>& obj) {
    if (auto n = std::dynamic_pointer_cast<RegistryNotification>(obj)) live.emplace_back(h, n);
  });
  for (auto& [h, n] : live) {
    if (!IsWindow(n->hwnd)) {
      KernelHandles().Remove(h);  // the window is gone: so is its notification
      continue;
    }
    bool exists;
    int64_t serial;
    registry::Value v;
    ReadState(n->key, n->value, &exists, &serial, &v);
    if (exists == n->exists && serial == n->serial) continue;
    n->exists = exists;
    n->serial = serial;
    if (!ConditionHolds(*n, exists, v)) continue;
    LPARAM lParam = 0;
    if (exists && v.type == REG_DWORD && v.data.size() == 4) {
      DWORD d;
      std::memcpy(&d, v.data.data(), 4);
      lParam = static_cast<LPARAM>(d);
    }
    PostMessageW(n->hwnd, n->msg, n->userData, lParam);
  }
}

}  // namespace

// Runs the check now; the idle poller calls this too (tests call it directly).
void PollRegistryNotifications() { Poll(); }

}  // namespace platform::device

using namespace platform::device;

HRESULT RegistryNotifyWindow(HKEY root, LPCWSTR subKey, LPCWSTR valueName, HWND hwnd, UINT msg,
                             DWORD userData, NOTIFICATIONCONDITION* condition, HREGNOTIFY* notify) {
  if (!notify) return E_INVALIDARG;
  *notify = nullptr;
  if (!IsWindow(hwnd)) return E_INVALIDARG;
  auto n = std::make_shared<RegistryNotification>();
  LONG st = registry::Resolve(root, subKey, &n->key);
  if (st != ERROR_SUCCESS) return HRESULT_FROM_WIN32(st);
  if (!registry::MakeValueName(valueName, &n->value)) return E_INVALIDARG;
  n->hwnd = hwnd;
  n->msg = msg;
  n->userData = userData;
  if (condition) {
    n->hasCondition = true;
    n->condition = *condition;
    // The union holds a string only for the string comparisons; for the others it is a DWORD.
    if (condition->ctComparisonType >= REG_CT_CONTAINS && condition->TargetValue.psz)
      n->conditionText = condition->TargetValue.psz;
  }
  registry::Value v;
  ReadState(n->key, n->value, &n->exists, &n->serial, &v);
  std::call_once(g_pollerOnce, [] { platform::wm::AddIdlePoller(Poll); });
  HANDLE h = AddKernelObject(n);
  if (!h) return E_OUTOFMEMORY;
  *notify = h;
  return S_OK;
}

HRESULT RegistryCloseNotification(HREGNOTIFY notify) {
  if (!GetKernelObject<RegistryNotification>(notify)) return E_INVALIDARG;
  CloseHandle(notify);
  return S_OK;
}
