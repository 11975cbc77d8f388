#include "host/page_session.h"

#include <algorithm>

#include "host/host_error.h"
#include "host/host_layout.h"
#include "host/host_subclass.h"
#include "host/host_window.h"
#include "host/personality.h"
#include "host/stand_in_host.h"

namespace host {

namespace {

// The declared actions of those kinds, in the order the plug-in declared them.
std::vector<int> actionsOfKinds(const std::vector<Action>& actions, std::initializer_list<int> kinds)
{
    std::vector<int> ids;
    for (const Action& declared : actions) {
        if (declared.id && std::find(kinds.begin(), kinds.end(), declared.kind()) != kinds.end())
            ids.push_back(declared.id);
    }
    return ids;
}

const int PAGE_HEIGHT = 640;
const int SLOT_X = 12, SLOT_Y = 260, SLOT_GAP = 8;

bool subclassing() { return personality() == Personality::Subclassing; }

}  // namespace

HWND PageSession::open()
{
    if (window_)
        return window_;
    build();
    if (personality() == Personality::Rebuilding)
        rebuild();
    return window_;
}

void PageSession::build()
{
    WindowSpec plan;
    plan.title = "Lunetka";
    plan.width = PAGE_WIDTH;
    plan.height = PAGE_HEIGHT;
    HWND page = createHostWindow(pageKind(), plan);
    if (!page)
        throw HostError("cannot create the page window (Windows error " + std::to_string(GetLastError()) + ")");
    adopt(page, true);

    int y = SLOT_Y;
    for (int actionId : actionsOfKinds(host_.actions(), {KIND_CUSTOM}))
        y = requestControl(actionId, SLOT_X, y).endY + SLOT_GAP;
    refreshCriteria();
}

// As toolkits do when a window's style changes: the page goes and a new one
// takes its place, with or without a word to the plug-in first, as the
// host's variant says.
void PageSession::rebuild()
{
    bool tellsUs = host_.variant.rebuildTellsUs;
    host_.noteKindAct(tellsUs ? "destroyed its page and made it again, with 221 first"
                              : "destroyed its page and made it again, without a word to the plug-in first");
    if (!tellsUs)
        abandon();
    close();
    build();
}

void PageSession::adopt(HWND page, bool owned)
{
    window_ = page;
    owned_ = owned;
    char className[64] = "";
    GetClassNameA(page, className, sizeof className);
    host_.noteKindAct(std::string("its page is a ") + (IsWindowUnicode(page) ? "Unicode" : "narrow") +
                      " window of class " + className);
    if (subclassing()) {
        replacePageProcedure(page);
        host_.noteKindAct("subclassed its page with SetWindowLongPtr before the plug-in's list");
    }
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
    host_.noteKindAct("asked for control " + std::to_string(actionId) + " (220): the plug-in answered with " +
                      (slot.window ? "its list, in the page" : "no window"));
    if (subclassing()) {
        addPageSubclass(window_);  // in front of the plug-in's procedure
        host_.noteKindAct("put SetWindowSubclass on its page, in front of the plug-in's procedure");
    }
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
    // Last in, first out: the host's subclass from after the list goes first.
    if (subclassing() && hasPageSubclass(window_)) {
        removePageSubclass(window_);
        host_.noteKindAct("took its SetWindowSubclass off the page it closes");
    }
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
    if (subclassing())
        restorePageProcedure(window_);
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
