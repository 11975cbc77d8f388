#include "host/page_session.h"

#include "host/host_error.h"
#include "host/host_layout.h"
#include "host/stand_in_host.h"
#include "host/window_class.h"

namespace host {

namespace {

const int PAGE_HEIGHT = 640;
const int SLOT_X = 12, SLOT_Y = 260, SLOT_GAP = 8;
const char PAGE_CLASS[] = "LunetkaHostPage";

LRESULT CALLBACK pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

HWND PageSession::open()
{
    if (window_)
        return window_;
    registerWindowClass(PAGE_CLASS, pageProc);
    HWND page = CreateWindowExA(0, PAGE_CLASS, "Lunetka", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                CW_USEDEFAULT, PAGE_WIDTH, PAGE_HEIGHT, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
    if (!page)
        throw HostError("cannot create the page window (Windows error " + std::to_string(GetLastError()) + ")");
    adopt(page, true);

    int y = SLOT_Y;
    for (int actionId : actionsOfKinds(host_.actions(), {KIND_CUSTOM}))
        y = requestControl(actionId, SLOT_X, y).endY + SLOT_GAP;
    refreshCriteria();
    return window_;
}

void PageSession::adopt(HWND page, bool owned)
{
    window_ = page;
    owned_ = owned;
}

ControlSlot PageSession::requestControl(int actionId, int x, int y)
{
    const Action* declared = host_.action(actionId);
    std::vector<uint8_t> event = eventRecord(action_event::CONTROL_LENGTH, actionId, declared ? declared->parent : 0,
                                             EVENT_CREATE_CONTROL);
    putPtr(event.data(), action_event::PARENT_WINDOW, window_);
    putI32(event.data(), action_event::X, x);
    putI32(event.data(), action_event::Y, y);
    host_.send(MSG_ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()), 0);
    ControlSlot slot;
    slot.actionId = actionId;
    slot.window = reinterpret_cast<HWND>(static_cast<uintptr_t>(u32At(event.data(), action_event::WINDOW)));
    slot.x = x;
    slot.y = y;
    slot.endX = i32At(event.data(), action_event::X);
    slot.endY = i32At(event.data(), action_event::Y);
    slots_.push_back(slot);
    return slot;
}

void PageSession::refreshCriteria()
{
    for (int actionId : actionsOfKinds(host_.actions(), {KIND_COMBO, KIND_EDIT}))
        host_.actionEvent(actionId, EVENT_REFRESH);
}

void PageSession::close()
{
    if (!window_)
        return;
    // Taken out first: a plug-in may ask for a control again from inside a 221.
    std::vector<ControlSlot> given;
    given.swap(slots_);
    for (const ControlSlot& slot : given) {
        std::vector<uint8_t> event =
            eventRecord(action_event::CONTROL_LENGTH, slot.actionId, 0, EVENT_DESTROY_CONTROL);
        putPtr(event.data(), action_event::WINDOW, slot.window);
        putPtr(event.data(), action_event::PARENT_WINDOW, window_);
        if (host_.pluginLoaded())
            host_.send(MSG_ACTION_EVENT, reinterpret_cast<intptr_t>(event.data()), 0);
    }
    if (owned_)
        DestroyWindow(window_);
    window_ = nullptr;
}

HWND PageSession::slotControl(int actionId) const
{
    for (const ControlSlot& slot : slots_) {
        if (slot.actionId == actionId)
            return slot.window;
    }
    return nullptr;
}

}  // namespace host
