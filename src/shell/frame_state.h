// What the frame and Settings publish for automation's `state`.
#pragma once

class MainFrame;

int AddFrameState(const MainFrame& frame);
void RemoveFrameState(int id);
