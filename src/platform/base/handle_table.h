// A table of objects addressed by 32-bit handle values: an index and a generation.
// A handle whose slot was freed or reused no longer resolves, so stale handles are caught.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

template <typename T>
class HandleTable {
 public:
  static constexpr uint32_t kIndexBits = 20;
  static constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;

  // `tag` (0..7) keeps handles of different tables apart: a handle from one never resolves in another.
  explicit HandleTable(uint32_t tag) : tag_(tag & 7) {}

  uint32_t Add(std::shared_ptr<T> object) {
    std::lock_guard<std::mutex> lock(mutex_);
    uint32_t index;
    if (!free_.empty()) {
      index = free_.back();
      free_.pop_back();
    } else {
      if (slots_.size() >= kIndexMask) return 0;
      slots_.push_back({});
      index = static_cast<uint32_t>(slots_.size());  // indices start at 1 so no handle is 0
    }
    Slot& slot = slots_[index - 1];
    slot.generation = (slot.generation + 1) & 0x1FF;
    if (slot.generation == 0) slot.generation = 1;
    slot.object = std::move(object);
    return Compose(index, slot.generation);
  }

  std::shared_ptr<T> Get(uint32_t handle) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Slot* slot = Find(handle);
    return slot ? slot->object : nullptr;
  }

  // Raw lookup for the UI thread's hot paths; the object stays alive while the table holds it.
  T* Peek(uint32_t handle) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Slot* slot = Find(handle);
    return slot ? slot->object.get() : nullptr;
  }

  std::shared_ptr<T> Remove(uint32_t handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    Slot* slot = const_cast<Slot*>(Find(handle));
    if (!slot) return nullptr;
    std::shared_ptr<T> object = std::move(slot->object);
    slot->object.reset();
    free_.push_back(handle & kIndexMask);
    return object;
  }

  template <typename F>
  void ForEach(F&& f) const {
    std::vector<std::pair<uint32_t, std::shared_ptr<T>>> live;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].object)
          live.emplace_back(Compose(static_cast<uint32_t>(i + 1), slots_[i].generation), slots_[i].object);
    }
    for (auto& [h, obj] : live) f(h, obj);
  }

 private:
  struct Slot {
    uint32_t generation = 0;
    std::shared_ptr<T> object;
  };

  uint32_t Compose(uint32_t index, uint32_t generation) const {
    return (tag_ << 29) | (generation << kIndexBits) | index;
  }

  const Slot* Find(uint32_t handle) const {
    if ((handle >> 29) != tag_) return nullptr;
    uint32_t index = handle & kIndexMask;
    uint32_t generation = (handle >> kIndexBits) & 0x1FF;
    if (index == 0 || index > slots_.size()) return nullptr;
    const Slot& slot = slots_[index - 1];
    if (!slot.object || slot.generation != generation) return nullptr;
    return &slot;
  }

  uint32_t tag_;
  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
  std::vector<uint32_t> free_;
};

// Handle tags: one per table, so handles of different kinds never collide.
enum HandleTag : uint32_t { kTagWindow = 1, kTagGdi = 2, kTagKernel = 3, kTagMenu = 4, kTagModule = 5, kTagKey = 6, kTagMisc = 7 };

template <typename H>
inline H ToHandle(uint32_t value) { return reinterpret_cast<H>(static_cast<uintptr_t>(value)); }
template <typename H>
inline uint32_t FromHandle(H handle) {
  uintptr_t v = reinterpret_cast<uintptr_t>(handle);
  return v > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(v);
}

}  // namespace platform
