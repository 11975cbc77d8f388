// The unloading host's end: what it does to the plug-in, and checks, when it
// lets the plug-in go in whatever state it is, and loads it again.
#include "host/stand_in_host.h"

#include <commctrl.h>

#include "host/host_error.h"
#include "host/host_subclass.h"
#include "host/host_window.h"
#include "host/personality.h"
#include "host/result_list_reader.h"
#include "host/text_codec.h"

namespace host {

namespace {

// The user double-clicks the first row of a list the plug-in left in its
// page, and presses Enter on it.
void useLeftList(HWND list)
{
    if (!list || !IsWindow(list) || SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 0)
        return;
    doubleClickRow(list, 0);
    SendMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
}

}  // namespace

// The unloading host's end, in whatever state the plug-in is, the way its
// variant says: after a stop; or with its own procedure in front of the
// plug-in's on its page, without a stop, after a message or with nothing
// between. The page must still hear every message; then the plug-in is
// loaded again in this process, and starts, makes its list and stops as a
// fresh copy does.
void StandInHost::unloadAndLoadAgain()
{
    UnloadWay way = variant.unloadWay;
    HWND page = page_.window();
    onHostAction = nullptr;  // whoever set these may be gone by now
    onLog = nullptr;
    beforeAnswer = nullptr;
    if (page && way != UnloadWay::AfterStop) {
        replacePageProcedure(page);
        noteKindAct("put its own procedure in front of the plug-in's on its page");
    }
    if (page && way == UnloadWay::WithoutStopAfterAMessage) {
        SendMessageA(page, WM_NULL, 0, 0);
        noteKindAct("sent its page a message");
    }
    if (way == UnloadWay::AfterStop && started_)
        noteKindAct("sent HM_STOP: the plug-in answered " + std::to_string(send(MSG_STOP)));
    std::string path = pluginPath_;
    intptr_t startedAs = lastStartReply_;
    bool lastReference = holdsLastReference();
    bool stopped = !started_;
    unloadPlugin();
    // The host frees its object: a call of the plug-in's from here on ends
    // the process. The library must be gone, and its page and list still work.
    poisonControl();
    bool gone = !GetModuleHandleW(utf8ToWide(path).c_str());
    noteKindAct(std::string(stopped ? "unloaded the plug-in after a stop" : "unloaded the plug-in without a stop") +
                ", and freed its control object: the library is " + (gone ? "gone" : "still loaded"));
    if (lastReference && !gone)
        reportHostFault("the plug-in is still loaded after the host let it go");
    if (page) {
        int heard = messagesHeard(page);
        for (int i = 0; i < 4; ++i)
            SendMessageA(page, WM_NULL, 0, 0);
        std::string heardText = std::to_string(messagesHeard(page) - heard) + " of 4 messages";
        noteKindAct("sent its page 4 messages: its own procedure heard " + heardText);
        if (messagesHeard(page) != heard + 4)
            reportHostFault("after the unload the page's own procedure heard " + heardText);
        useLeftList(page_.slots().empty() ? nullptr : page_.slots().front().window);
    }
    page_.close();
    try {
        loadPlugin(path);
        // A copy that had its window class must have it again.
        intptr_t startedAgain = start();
        noteKindAct("loaded the plug-in again in the same process: HM_START answered " +
                    std::to_string(startedAgain));
        if (startedAgain != 1 && startedAs == 1)
            reportHostFault("the copy loaded again started without the window class the copy before it had");
        page_.open();
        bool madeList = !page_.slots().empty() && page_.slots().front().window;
        if (!page_.slots().empty() && !madeList)
            reportHostFault("the copy loaded again made no list");
        stop();
        unloadPlugin();
        noteKindAct(std::string("the copy loaded again ") + (madeList ? "made its list" : "made no list") +
                    ", stopped and was unloaded");
    } catch (const HostError& error) {
        reportHostFault(std::string("loading the plug-in again: ") + error.what());
    }
}

}  // namespace host
