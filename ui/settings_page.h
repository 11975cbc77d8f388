// What the plug-in declares to the host once per start: its three stored
// search criteria, and its icons, page, controls and menu entry.
#pragma once

// Answer to HM_SETTINGS_COLUMNS. Returns 1.
int registerSettings();
// Answer to HM_BUILD_UI. Returns 1.
int buildInterface();
