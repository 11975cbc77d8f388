// The info box at the top of the plug-in's page: the large icon with a rich
// tip (name, version, extra text) and a short description, in a group.
#pragma once

#include <string>

// "reg://IML32/<id>.ICON": how the host names a registered icon as an image.
std::string iconUrl(int iconId);

// Declares the info box under the page: a group start (empty caption), the
// image (ICON_LARGE at 32 pixels, its tip the plug-in's name as the host
// reports it, the version text unless the host hides it, then extraText,
// 300 wide), the description (300 wide, height -2) and the group end.
void addInfoBox(const char* extraText);
