// File: app/screensaver.h
// Asking the desktop not to blank the screen while groups are being shown automatically.
#pragma once

// Inhibits (true) or releases (false) screen blanking through the freedesktop ScreenSaver
// service on the session bus; repeated calls with the same value do nothing. Without a session
// bus or the service, nothing happens. UI thread only.
void set_screen_blank_inhibited(bool inhibited);
