// System UI on top of the window manager: resources, message boxes, menus, dialogs, cursor,
// controls, the input method and the input panel. Declared by the ui room.
#pragma once
