#include "host/page_view.h"

#include "host/host_layout.h"

#include <stdio.h>
#include <stdlib.h>
#include <vector>

#include "host/host_error.h"
#include "host/personality.h"
#include "host/rich_text.h"

namespace host {

namespace {

const int MARGIN = 8, GROUP_TOP = 18, GROUP_INSET = 10, GAP = 8;
const int ROW_HEIGHT = 23, BUTTON_HEIGHT = 25;
const int FIRST_CONTROL_ID = 1000;

// "reg://IML32/512010.ICON": the id of a registered icon.
int iconIdOf(const std::string& address)
{
    const std::string prefix = "reg://IML32/";
    if (address.compare(0, prefix.size(), prefix) != 0)
        return 0;
    return atoi(address.c_str() + prefix.size());
}

}  // namespace

std::map<std::string, std::string> actionParameters(const std::string& text)
{
    std::map<std::string, std::string> parameters;
    size_t at = text.find('\x1a');
    while (at != std::string::npos) {
        size_t equals = text.find('=', at);
        if (equals == std::string::npos)
            break;
        size_t end = equals + 1;
        while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x08 && text[end] != '\x1a')
            ++end;
        parameters[text.substr(at + 1, equals - at - 1)] = text.substr(equals + 1, end - equals - 1);
        at = text.find('\x1a', end);
    }
    return parameters;
}

PageView::PageView(StandInHost& host, HWND parent, int pageId, int x, int y) : host_(host)
{
    WindowSpec plan;
    plan.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    plan.exStyle = WS_EX_CONTROLPARENT;
    plan.x = x;
    plan.y = y;
    plan.width = PAGE_WIDTH;
    plan.height = 600;
    plan.parent = parent;
    plan.handler = this;
    page_ = createHostWindow(pageKind(), plan);
    if (!page_)
        throw HostError("cannot create the page (Windows error " + std::to_string(GetLastError()) + ")");
    build(pageId);
    building_ = false;
    host_.page().refreshCriteria();
}

PageView::~PageView()
{
    host_.page().close();
    if (tip_)
        DestroyWindow(tip_);
    DestroyWindow(page_);
}

HWND PageView::addControl(int actionId, const char* className, const char* text, DWORD style, int x, int y,
                          int width, int height)
{
    int controlId = FIRST_CONTROL_ID + static_cast<int>(actionOfControl_.size());
    HWND control = createControl(page_, className, text, style, x, y, width, height, controlId);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont(false)), 0);
    actionOfControl_[controlId] = actionId;
    if (actionId)
        controlOfAction_[actionId] = control;
    return control;
}

// Where the next control goes. Combos and buttons share a row with their
// own kind; an info text sits beside the info image; everything else starts
// a row of its own.
struct PageView::Layout {
    int left = MARGIN, width = PAGE_WIDTH - 2 * MARGIN, y = MARGIN;
    int rowX = MARGIN, rowBottom = MARGIN;
    int lastKind = -1;
    std::vector<std::pair<HWND, int>> openGroups;  // group box, its top

    void newRow()
    {
        y = std::max(y, rowBottom);
        rowX = left;
    }
    void nextKind(int kind)
    {
        bool besideImage = kind == KIND_INFO_TEXT && lastKind == KIND_INFO_IMAGE;
        if (!besideImage && (kind != lastKind || (kind != KIND_COMBO && kind != KIND_BUTTON)))
            newRow();
        lastKind = kind;
    }
};

struct PageView::KindRoute {
    int kind;
    void (PageView::*place)(const Action& action, Layout& layout);
};

const PageView::KindRoute PageView::kindRoutes[] = {
    {KIND_GROUP_START, &PageView::placeGroupStart},
    {KIND_GROUP_END, &PageView::placeGroupEnd},
    {KIND_INFO_IMAGE, &PageView::placeInfoImage},
    {KIND_INFO_TEXT, &PageView::placeInfoText},
    {KIND_COMBO, &PageView::placeCombo},
    {KIND_EDIT, &PageView::placeEdit},
    {KIND_CUSTOM, &PageView::placeCustom},
    {KIND_BUTTON, &PageView::placeButton},
};

void PageView::build(int pageId)
{
    host_.page().adopt(page_, false);
    Layout layout;
    // A copy: the plug-in may declare actions while it makes a custom control.
    const std::vector<Action> declared = host_.actions();
    for (const Action& action : declared) {
        if (action.parent != pageId)
            continue;
        layout.nextKind(action.kind());
        for (const KindRoute& route : kindRoutes) {
            if (route.kind == action.kind())
                (this->*route.place)(action, layout);
        }
    }
    layout.newRow();
    size_.cx = PAGE_WIDTH;
    size_.cy = layout.y + MARGIN;
    SetWindowPos(page_, nullptr, 0, 0, size_.cx, size_.cy, SWP_NOMOVE | SWP_NOZORDER);
}

void PageView::placeGroupStart(const Action& action, Layout& layout)
{
    HWND box = addControl(0, "BUTTON", action.text.c_str(), BS_GROUPBOX, layout.left, layout.y, layout.width, 20);
    layout.openGroups.push_back({box, layout.y});
    layout.left += GROUP_INSET;
    layout.width -= 2 * GROUP_INSET;
    layout.y += GROUP_TOP;
    layout.rowX = layout.left;
    layout.rowBottom = layout.y;
}

void PageView::placeGroupEnd(const Action&, Layout& layout)
{
    if (layout.openGroups.empty())
        return;
    layout.left -= GROUP_INSET;
    layout.width += 2 * GROUP_INSET;
    layout.y += GAP;
    SetWindowPos(layout.openGroups.back().first, nullptr, 0, 0, layout.width,
                 layout.y - layout.openGroups.back().second, SWP_NOMOVE | SWP_NOZORDER);
    layout.openGroups.pop_back();
    layout.y += GAP;
    layout.rowX = layout.left;
    layout.rowBottom = layout.y;
}

void PageView::placeInfoImage(const Action& action, Layout& layout)
{
    std::map<std::string, std::string> parameters = actionParameters(action.text);
    int side = parameters.count("iconsize") ? atoi(parameters["iconsize"].c_str()) : 32;
    auto icon = host_.registeredIcons().find(iconIdOf(parameters["imgurl"]));
    icon_ = addControl(0, "STATIC", "", SS_ICON | SS_REALSIZEIMAGE, layout.rowX, layout.y, side, side);
    if (icon != host_.registeredIcons().end())
        SendMessageA(icon_, STM_SETICON, reinterpret_cast<WPARAM>(icon->second), 0);
    SetWindowPos(icon_, nullptr, 0, 0, side, side, SWP_NOMOVE | SWP_NOZORDER);
    tipMarkup_ = parameters["tipRich"];
    tipWidth_ = parameters.count("tipWidth") ? atoi(parameters["tipWidth"].c_str()) : 300;
    layout.rowX += side + GAP;
    layout.rowBottom = layout.y + side;
}

void PageView::placeInfoText(const Action& action, Layout& layout)
{
    int room = layout.left + layout.width - layout.rowX;
    int textWidth = std::min(room, action.width > 0 ? static_cast<int>(action.width) : layout.width);
    int height = action.height > 0 ? action.height : richTextHeight(action.text, textWidth);
    createRichText(action.text, WS_CHILD, 0, layout.rowX, layout.y, textWidth, height, page_, false);
    layout.rowBottom = std::max(layout.rowBottom, layout.y + height);
}

void PageView::placeCombo(const Action& action, Layout& layout)
{
    int comboWidth = std::max(150, static_cast<int>(action.width));
    HWND combo = addControl(action.id, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, layout.rowX,
                            layout.y, comboWidth, 200);
    std::string stored = storedValue(action);
    for (size_t i = 0; i < action.items.size(); ++i) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(action.items[i].first.c_str()));
        if (action.items[i].second == stored)
            SendMessageA(combo, CB_SETCURSEL, i, 0);
    }
    layout.rowX += comboWidth + GAP;
    layout.rowBottom = layout.y + ROW_HEIGHT + 2;
}

void PageView::placeEdit(const Action& action, Layout& layout)
{
    addControl(action.id, "EDIT", storedValue(action).c_str(), WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, layout.left,
               layout.y, layout.width, ROW_HEIGHT - 2);
    layout.rowBottom = layout.y + ROW_HEIGHT + 2;
}

void PageView::placeCustom(const Action& action, Layout& layout)
{
    ControlSlot slot = host_.page().requestControl(action.id, layout.left, layout.y);
    layout.rowBottom = slot.endY > layout.y ? slot.endY + GAP : layout.y + ROW_HEIGHT;
}

void PageView::placeButton(const Action& action, Layout& layout)
{
    int room = layout.left + layout.width - layout.rowX;
    int buttonWidth = std::min(action.width > 0 ? static_cast<int>(action.width) : 100, room);
    // The type's bit 0x40 marks the page's default button: Enter presses it.
    bool isDefault = (action.type & BUTTON_DEFAULT_BIT) != 0;
    HWND button = addControl(action.id, "BUTTON", action.caption.c_str(),
                             (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, layout.rowX, layout.y,
                             buttonWidth, BUTTON_HEIGHT);
    if (isDefault && pageKind() == WindowKind::Dialog)
        SendMessageA(page_, DM_SETDEFID, static_cast<WPARAM>(GetDlgCtrlID(button)), 0);
    layout.rowX += buttonWidth + GAP;
    layout.rowBottom = layout.y + BUTTON_HEIGHT + 2;
}

std::string PageView::storedValue(const Action& action) const
{
    auto column = host_.settings().find(action.param);
    return column != host_.settings().end() ? column->second.value : std::string();
}

HWND PageView::control(int actionId) const
{
    auto found = controlOfAction_.find(actionId);
    return found == controlOfAction_.end() ? nullptr : found->second;
}

void PageView::onCommand(int controlId, int code)
{
    auto found = actionOfControl_.find(controlId);
    if (building_ || found == actionOfControl_.end() || !found->second)
        return;
    int actionId = found->second;
    const Action* action = host_.action(actionId);
    if (!action)
        return;
    HWND window = control(actionId);
    if (action->kind() == KIND_COMBO && code == CBN_SELCHANGE) {
        LRESULT chosen = SendMessageA(window, CB_GETCURSEL, 0, 0);
        if (chosen >= 0 && static_cast<size_t>(chosen) < action->items.size())
            host_.changeControl(actionId, action->items[static_cast<size_t>(chosen)].second);
    } else if (action->kind() == KIND_EDIT && code == EN_CHANGE) {
        char text[1024];
        GetWindowTextA(window, text, sizeof text);
        host_.changeControl(actionId, text);
    } else if (action->kind() == KIND_BUTTON && code == BN_CLICKED) {
        host_.actionEvent(actionId, EVENT_ACTIVATED);
    }
}

void PageView::chooseItem(int actionId, const std::string& labelOrValue)
{
    const Action* action = host_.action(actionId);
    HWND combo = control(actionId);
    if (!action || !combo)
        throw HostError("the page has no list " + std::to_string(actionId));
    for (size_t i = 0; i < action->items.size(); ++i) {
        if (action->items[i].first == labelOrValue || action->items[i].second == labelOrValue) {
            SendMessageA(combo, CB_SETCURSEL, i, 0);
            // What the combo tells its parent when the user picks an item.
            SendMessageA(page_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            return;
        }
    }
    throw HostError("no item '" + labelOrValue + "' in the list");
}

void PageView::typeText(int actionId, const std::string& text)
{
    HWND edit = control(actionId);
    if (!edit)
        throw HostError("the page has no edit " + std::to_string(actionId));
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));  // the edit reports EN_CHANGE
}

void PageView::press(int actionId)
{
    HWND button = control(actionId);
    if (!button)
        throw HostError("the page has no button " + std::to_string(actionId));
    SendMessageA(button, BM_CLICK, 0, 0);
}

void PageView::showTip(bool show)
{
    if (!show) {
        if (tip_)
            ShowWindow(tip_, SW_HIDE);
        return;
    }
    if (!icon_ || tipMarkup_.empty())
        return;
    if (!tip_)
        tip_ = createRichText(tipMarkup_, WS_POPUP | WS_BORDER, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0, 10, 10, page_,
                              true);
    RECT icon;
    GetWindowRect(icon_, &icon);
    int height = richTextHeight(tipMarkup_, tipWidth_) + 8;
    SetWindowPos(tip_, HWND_TOPMOST, icon.left + 8, icon.bottom + 4, tipWidth_ + 10, height, SWP_NOACTIVATE);
    ShowWindow(tip_, SW_SHOWNOACTIVATE);
}

void PageView::onMouseMove(POINT point)
{
    RECT icon;
    GetWindowRect(icon_, &icon);
    MapWindowPoints(nullptr, page_, reinterpret_cast<POINT*>(&icon), 2);
    bool over = PtInRect(&icon, point) != 0;
    showTip(over);
    if (over) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, page_, 0};
        TrackMouseEvent(&track);
    }
}

bool PageView::onMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return true;
    case WM_MOUSEMOVE: {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        onMouseMove(point);
        return true;
    }
    case WM_MOUSELEAVE:
        showTip(false);
        return true;
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        *result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }
    return false;
}

}  // namespace host
