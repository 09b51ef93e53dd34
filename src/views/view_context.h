// What the frame hands every full-screen view: the program's pieces and the frame itself.
#pragma once
#include <windows.h>

class Settings;
class MessageStore;

namespace parlo {

class ContactBook;
class Skin;

struct ViewContext {
  Settings& settings;
  MessageStore& store;
  Skin& skin;
  ContactBook* contacts = nullptr;  // none until the frame has logged on to the contacts
  HWND frame = nullptr;             // receives the view messages

  // Requests to the frame, always synchronous; nothing when there is no frame.
  LRESULT SendToFrame(UINT message, WPARAM wParam, LPARAM lParam) const {
    return frame ? SendMessageW(frame, message, wParam, lParam) : 0;
  }
};

}  // namespace parlo
