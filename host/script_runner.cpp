#include "host/script_runner.h"

#include <commctrl.h>
#include <stdlib.h>
#include <set>
#include <sstream>

#include "host/host_error.h"
#include "host/host_layout.h"
#include "host/record_reader.h"
#include "host/reports.h"
#include "host/screenshot.h"
#include "host/result_list_reader.h"
#include "host/text_codec.h"

namespace host {

const char SCRIPT_HELP[] =
    "script commands, one per line (or separated by ';' with --do):\n"
    "  config                       open the configuration window on the plug-in's page\n"
    "  choose N|field|condition ITEM  pick ITEM (label or value) in the N-th list of the page\n"
    "  type TEXT                    replace the text of the page's edit field\n"
    "  header COLUMN                click a header of the result list (0 or 1)\n"
    "  focus ROW / select ROW       give a result row the focus (select also selects it)\n"
    "  dblclick ROW                 double-click a result row\n"
    "  press CAPTION                press the page's button with that caption (or its first word)\n"
    "  menu CAPTION                 choose the plug-in's menu entry with that caption\n"
    "  tip / notip                  show or hide the info box's tip\n"
    "  log                          open the log window\n"
    "  close config|windows         close the configuration window, or every window the host opened\n"
    "  wait MS                      let the windows run for MS milliseconds\n"
    "  results                      print the result list as the list view holds it\n"
    "  windows                      print the open windows\n"
    "  screenshot FILE.bmp [main|config|TITLE]  save the screen area of a window (a real display is needed)\n";

namespace {

const long long MAX_WAIT_MS = 10 * 60 * 1000;  // a script waits ten minutes at most

std::string utf8(const std::string& cp1250) { return cp1250ToUtf8(cp1250); }

std::string windowTitle(HWND window)
{
    char title[256] = "";
    GetClassNameA(window, title, sizeof title);
    if (strcmp(title, "LunetkaRichTip") == 0)
        return "(the info box's tip)";  // its text is the tip's markup
    GetWindowTextA(window, title, sizeof title);
    return title;
}

BOOL CALLBACK collectWindow(HWND window, LPARAM data)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    return TRUE;
}

std::vector<HWND> topWindows()
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

class ScriptRun {
public:
    ScriptRun(Messenger& messenger, StandInHost& host, FILE* out) : app_(messenger), host_(host), out_(out) {}

    void line(const std::string& raw)
    {
        std::string text = raw.substr(0, raw.find('#'));
        while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' || text.back() == '\t'))
            text.pop_back();
        size_t start = text.find_first_not_of(" \t\r\n");
        if (start == std::string::npos)
            return;
        text = text.substr(start);
        size_t space = text.find(' ');
        std::string command = text.substr(0, space);
        std::string rest = space == std::string::npos ? "" : text.substr(space + 1);
        fprintf(out_, "> %s\n", text.c_str());

        std::vector<HWND> before = topWindows();
        size_t logBefore = host_.logLines();
        size_t exchangesBefore = host_.exchanges().size();
        run(command, rest);
        app_.pump();
        report(before, logBefore, exchangesBefore);
    }

private:
    PageView& page()
    {
        if (!app_.page())
            throw HostError("no page is open (use: config)");
        return *app_.page();
    }

    HWND listWindow() const { return host_.page().slots().empty() ? nullptr : host_.page().slots().front().window; }

    HWND resultList() const
    {
        if (!listWindow())
            throw HostError("the page has no result list");
        return listWindow();
    }

    // A row of the result list that exists, or an error naming the command.
    int existingRow(const std::string& text, const std::string& command)
    {
        int rows = static_cast<int>(SendMessageA(resultList(), LVM_GETITEMCOUNT, 0, 0));
        if (rows == 0)
            throw HostError(command + ": the result list has no rows");
        return parseNumber(text, command, 0, rows - 1);
    }

    int existingColumn(const std::string& text, const std::string& command)
    {
        HWND header = reinterpret_cast<HWND>(SendMessageA(resultList(), LVM_GETHEADER, 0, 0));
        int columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
        return parseNumber(text, command, 0, columns - 1);
    }

    // The n-th (1-based) action of a kind on the open page.
    int nthAction(int kind, int n)
    {
        for (const Action& action : host_.actions())
            if (action.kind() == kind && action.id && page().control(action.id) && --n == 0)
                return action.id;
        throw HostError("the page has no such control");
    }

    // One route per script command; the handler gets the command's word and the rest of the line.
    struct CommandRoute {
        const char* command;
        void (ScriptRun::*run)(const std::string& command, const std::string& rest);
    };
    static const CommandRoute commandRoutes[];

    void run(const std::string& command, const std::string& rest);

    void config(const std::string&, const std::string&) { app_.openConfiguration(); }

    void choose(const std::string&, const std::string& rest)
    {
        size_t space = rest.find(' ');
        if (space == std::string::npos)
            throw HostError("choose needs a list and an item");
        std::string which = rest.substr(0, space);
        int n = which == "field" ? 1 : which == "condition" ? 2 : parseNumber(which, "choose", 1, INT_MAX);
        page().chooseItem(nthAction(KIND_COMBO, n), utf8ToCp1250(rest.substr(space + 1)));
        printResults();
    }

    void type(const std::string&, const std::string& rest)
    {
        page().typeText(nthAction(KIND_EDIT, 1), utf8ToCp1250(rest));
        printResults();
    }

    void header(const std::string&, const std::string& rest)
    {
        clickHeader(resultList(), existingColumn(rest, "header"));
        printResults();
    }

    void focus(const std::string& command, const std::string& rest)
    {
        focusRow(resultList(), existingRow(rest, command), command == "select");
    }

    void doubleClick(const std::string& command, const std::string& rest)
    {
        int row = existingRow(rest, command);
        focusRow(resultList(), row, true);
        doubleClickRow(resultList(), row);
    }

    // The action is found first and pressed after the search: the plug-in
    // may declare actions from inside the press.
    void press(const std::string&, const std::string& rest)
    {
        std::string caption = utf8ToCp1250(rest);
        int pressed = 0;
        for (const Action& action : host_.actions()) {
            if (!pressed && action.kind() == KIND_BUTTON && page().control(action.id) &&
                (action.caption == caption || action.caption.compare(0, caption.size(), caption) == 0))
                pressed = action.id;
        }
        if (!pressed)
            throw HostError("the page has no button '" + rest + "'");
        page().press(pressed);
    }

    void menu(const std::string&, const std::string& rest)
    {
        std::string caption = utf8ToCp1250(rest);
        int chosen = 0;
        for (const Action& action : host_.actions()) {
            if (!chosen && action.parent == PARENT_PLUGIN_MENU && (rest.empty() || action.caption == caption))
                chosen = action.id;
        }
        if (!chosen)
            throw HostError("the menu has no entry '" + rest + "'");
        app_.chooseMenuEntry(chosen);
    }

    void tip(const std::string& command, const std::string&) { page().showTip(command == "tip"); }

    void showLog(const std::string&, const std::string&) { app_.showLog(); }

    void close(const std::string&, const std::string& rest)
    {
        if (rest == "config")
            app_.closeConfiguration();
        else if (rest == "windows")
            closeOthers();
        else
            throw HostError("close takes config or windows");
    }

    void wait(const std::string&, const std::string& rest)
    {
        DWORD until = GetTickCount() + static_cast<DWORD>(parseNumber(rest, "wait", 0, MAX_WAIT_MS));
        while (static_cast<LONG>(until - GetTickCount()) > 0) {
            app_.pump();
            Sleep(10);
        }
    }

    void results(const std::string&, const std::string&) { printResults(); }

    void windows(const std::string&, const std::string&)
    {
        for (HWND window : topWindows())
            fprintf(out_, "  window: %s\n", utf8(windowTitle(window)).c_str());
    }

    void closeOthers()
    {
        for (HWND window : topWindows())
            if (window != app_.mainWindow() && window != app_.configWindow() && window != app_.logWindow() &&
                !(app_.page() && window == app_.page()->tip()))
                DestroyWindow(window);
    }

    void screenshot(const std::string&, const std::string& rest)
    {
        size_t space = rest.find(' ');
        std::string file = rest.substr(0, space);
        std::string which = space == std::string::npos ? "main" : rest.substr(space + 1);
        HWND window = which == "main" ? app_.mainWindow() : which == "config" ? app_.configWindow() : nullptr;
        if (!window)
            for (HWND candidate : topWindows())
                if (utf8(windowTitle(candidate)).compare(0, which.size(), which) == 0)
                    window = candidate;
        if (!window)
            throw HostError("no window '" + which + "' to take a picture of");
        SetForegroundWindow(window);
        BringWindowToTop(window);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        app_.pump();
        Sleep(200);
        app_.pump();
        if (!saveScreenshot(window, file))
            throw HostError("cannot write " + file);
        fprintf(out_, "  picture of '%s' saved to %s\n", utf8(windowTitle(window)).c_str(), file.c_str());
    }

    void printResults() { printResultList(out_, listWindow(), "  ", 15); }  // 15: a screenful

    void report(const std::vector<HWND>& before, size_t logBefore, size_t exchangesBefore)
    {
        std::set<HWND> known(before.begin(), before.end());
        for (HWND window : topWindows())
            if (!known.count(window))
                fprintf(out_, "  window opened: %s\n", utf8(windowTitle(window)).c_str());
        printHostActions(out_, host_, exchangesBefore, "  ");
        std::vector<std::string> log = host_.log();
        for (size_t i = logBefore; i < log.size(); ++i)
            if (log[i].compare(0, 5, "host:") == 0)
                fprintf(out_, "  %s\n", utf8(log[i]).c_str());
    }

    Messenger& app_;
    StandInHost& host_;
    FILE* out_;
};

const ScriptRun::CommandRoute ScriptRun::commandRoutes[] = {
    {"config", &ScriptRun::config},
    {"choose", &ScriptRun::choose},
    {"type", &ScriptRun::type},
    {"header", &ScriptRun::header},
    {"focus", &ScriptRun::focus},
    {"select", &ScriptRun::focus},
    {"dblclick", &ScriptRun::doubleClick},
    {"press", &ScriptRun::press},
    {"menu", &ScriptRun::menu},
    {"tip", &ScriptRun::tip},
    {"notip", &ScriptRun::tip},
    {"log", &ScriptRun::showLog},
    {"close", &ScriptRun::close},
    {"wait", &ScriptRun::wait},
    {"results", &ScriptRun::results},
    {"windows", &ScriptRun::windows},
    {"screenshot", &ScriptRun::screenshot},
};

void ScriptRun::run(const std::string& command, const std::string& rest)
{
    for (const CommandRoute& route : commandRoutes) {
        if (command == route.command)
            return (this->*route.run)(command, rest);
    }
    throw HostError("unknown script command '" + command + "'");
}

}  // namespace

std::vector<std::string> splitCommands(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line, ';'))
        lines.push_back(line);
    return lines;
}

void runScript(Messenger& messenger, StandInHost& host, const std::vector<std::string>& lines, FILE* out)
{
    ScriptRun run(messenger, host, out);
    for (size_t i = 0; i < lines.size(); ++i) {
        try {
            run.line(lines[i]);
        } catch (const HostError& error) {
            throw HostError("script line " + std::to_string(i + 1) + ": " + error.what());
        }
    }
}

}  // namespace host
