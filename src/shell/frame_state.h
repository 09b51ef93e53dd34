// What the frame and Settings publish for automation's `state`, and what the frame adds to its
// `screen` (the keys the picker draws itself).
#pragma once

class MainFrame;

int AddFrameState(const MainFrame& frame);
void RemoveFrameState(int id);

int AddFrameScreen(const MainFrame& frame);
void RemoveFrameScreen(int id);
