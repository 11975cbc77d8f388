// The info box at the top of the plug-in's page: the large icon with a rich
// tip (name, version, credits) and a short description.
#pragma once

#include <string>

// "reg://IML32/<id>.ICON": how the host names a registered icon as an image.
std::string iconUrl(int iconId);

// Declares the info box under parent. title: null for the plug-in's name and
// version, "" for no title line. image and extraText may be null.
void addInfoBox(int parent, const char* description, const char* extraText, const char* image,
                int textHeight, const char* title, bool grouped);
