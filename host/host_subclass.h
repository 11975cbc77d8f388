// The subclassing host's own procedures on its page, as messengers and their
// toolkits put them there: one with SetWindowLongPtr before the plug-in makes
// its list, one with the common controls' SetWindowSubclass after it, so that
// it sits in front of the plug-in's. Each counts what it hears and forwards
// everything; the host removes them, last first, when it closes the page.
// The unloading host puts the first kind in front of the plug-in's.
#pragma once

#include <windows.h>

namespace host {

// SetWindowLongPtr, with the page's own character width.
void replacePageProcedure(HWND page);
// SetWindowSubclass: in front of whatever is there, the plug-in's included.
void addPageSubclass(HWND page);
// Each gives back what it put there; the replaced procedure only while the
// host's own stands in front (else it stays, forwarding, until the page goes).
void removePageSubclass(HWND page);
void restorePageProcedure(HWND page);
// Whether the host's SetWindowSubclass is on page.
bool hasPageSubclass(HWND page);
// Before it stops the plug-in, the subclassing host takes its subclasses off
// every page; a host that unloads it without a stop leaves them on. How many
// it took off.
int removeEveryPageSubclass();
// Messages the host's subclasses of any page have heard.
int hostSubclassMessages();

}  // namespace host
