// What a search costs the messenger, beside what the platform cannot avoid.
// Loads the real DLL into the stand-in host, runs searches on synthetic
// contact tables, and measures the same work done the shortest possible way:
//   F1  the case-folded tests over the same cells, read straight from the table
//   F2  the same rows inserted into a fresh list view in one loop
//   F3  the same texts sorted with the same comparison in memory
//   H   the host's own cost of the calls the walks must make, which F1 leaves
//       out: two a row (the number of contacts, the cell), three a walk (the
//       table's lock and release, one more count), three a hit (its name,
//       value and network)
//   C   each hit's name and value copied once into memory of ours, which the
//       contract requires (the host's pointers die at its next call) and F1
//       leaves out: the texts measured and one buffer sized before the clock
//   L   the host's own cost of the three log lines a hit must send in the walk
//   Lf  and of the one log line a row must send in the fill
// The walk's floor is F1 + H + C + L, the fill's F2 + Lf, the whole event's
// F1 + H + C + F2 + L + Lf, a header click's the same click on F2's bare list (its
// page sorts the same permutation with a comparison that costs nothing) + F3.
// The floors run while our result list is empty. Memory: committed against
// what F2's bare list view commits, and our own peak, the C runtime heap in
// use during one more event. Prints one table of medians with each figure's
// floor and the ratio, and last one line with the worst ratio of each kind
// against its goal. Before that line: what the thunks cost a page message
// and a load, against the page without our list and a process without
// 10,000 more memory regions.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "host/stand_in_host.h"
#include "host/text_codec.h"
#include "host/host_window.h"
#include "host/runtime_heap.h"
#include "base/host_abi.h"
#include "base/host_calls.h"
#include "base/host_requests.h"
#include "base/plugin_state.h"
#include "search/text_match.h"
#include "views/sort_order.h"

namespace {

using namespace host::lunetka;
const int DESCRIPTION = 18, DISPLAY = 8, NET = 1, CITY = 13;

double frequency()
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
}

int64_t now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double ms(int64_t ticks) { return ticks * 1000.0 / frequency(); }

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    if (values.empty())
        return 0;
    size_t n = values.size();  // of an even count, the mean of the middle two
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

size_t heapInUse() { return host::runtimeHeapInUse(); }

size_t committed()
{
    PROCESS_MEMORY_COUNTERS counters;
    ZeroMemory(&counters, sizeof counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// Windows-1250 texts of realistic lengths.
const char* FIRST[] = {"Adam", "\xA3ukasz", "Zofia", "Ma\xB3gorzata", "Pawe\xB3", "Katarzyna", "J\xEA" "drzej",
                       "\xAF" "aneta", "Grzegorz", "El\xBF" "bieta", "Miko\xB3" "aj", "Agnieszka"};
const char* LAST[] = {"Nowak", "Kowalski", "Wi\x9Cniewska", "W\xF3jcik", "Kami\xF1ski", "Zieli\xF1ska",
                      "Szyma\xF1ski", "Wo\x9Fniak", "D\xB9" "browska", "Koz\xB3owski", "Krawczyk", "\xA3" "\xEA" "cka"};
const char* CITIES[] = {"Warszawa", "Krak\xF3w", "\xA3\xF3" "d\x9F", "Wroc\xB3" "aw", "Pozna\xF1", "Gda\xF1sk",
                        "Szczecin", "Bia\xB3ystok", "Zielona G\xF3ra", "Bielsko-Bia\xB3" "a"};
const char* WORDS[] = {"w", "pracy", "na", "urlopie", "zaraz", "wracam", "nie", "przeszkadza\xE6", "wiecz\xF3r",
                       "spotkanie", "podr\xF3\xBF", "uczelnia", "mecz", "ksi\xB9\xBFka", "g\xF3ry", "morze"};

// Row 0 is the user; rows 1..n are contacts. About 1% carry "pilne", about 50% "dom".
host::ContactTable makeTable(int rows, unsigned seed)
{
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    host::ContactTable table;
    table.addRow({{0, "1000"}, {NET, "1"}, {DISPLAY, "Ja"}, {CITY, "Krak\xF3w"}, {DESCRIPTION, "moje konto"}});
    for (int row = 1; row <= rows; ++row) {
        std::string description;
        int words = 1 + pick(5);
        for (int w = 0; w < words; ++w)
            description += std::string(w ? " " : "") + WORDS[pick(16)];
        if (pick(100) == 0)
            description += " pilne";
        if (pick(2) == 0)
            description += " dom";
        std::string name = std::string(FIRST[pick(12)]) + " " + LAST[pick(12)];
        table.addRow({{0, std::to_string(2000000 + row)},
                      {NET, std::to_string(1 + pick(3) + (pick(10) == 0 ? 6 : 0))},
                      {DISPLAY, name},
                      {CITY, CITIES[pick(10)]},
                      {DESCRIPTION, description}});
    }
    return table;
}

int CALLBACK compareItemData(LPARAM first, LPARAM second, LPARAM)
{
    return (first > second) - (first < second);
}

// The floor's page: a header click sorts its list with a comparison that
// costs nothing, so a click on it is the list view's own work, the click's
// messages included.

// The bare list's page: a window of the host's kind that sorts on a header click.
class FloorPage : public host::WindowHandler {
public:
    bool onMessage(HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) override
    {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (message == WM_NOTIFY && header && header->code == static_cast<UINT>(LVN_COLUMNCLICK))
            SendMessageA(header->hwndFrom, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(compareItemData));
        return false;
    }
};
FloorPage floorPage;

struct Scenario {
    const char* name;
    const char* value;
};

struct Figures {
    double walk = 0, fill = 0, total = 0, sort = 0, listViewSort = 0;
    double f1 = 0, f2 = 0, f3 = 0, floorClick = 0, hostShare = 0, copies = 0, logs = 0, fillLogs = 0;
    size_t hits = 0, hitBytes = 0, peak = 0, floorPeak = 0, ownPeak = 0, retained = 0;
};

// The worst ratio of one kind seen in the run, and where.
struct Worst {
    const char* kind;
    double goal;
    double ratio = 0;
    std::string where;
    Worst(const char* kind_, double goal_) : kind(kind_), goal(goal_) {}
    void see(double value, const std::string& at)
    {
        if (value > ratio) {
            ratio = value;
            where = at;
        }
    }
};

class Bench {
public:
    Bench(const std::string& dll, int rows, int reps) : rows_(rows), reps_(reps)
    {
        host_.reset(new host::StandInHost);
        host_->recording().exchanges = false;
        host_->recording().cellReads = false;
        // The host's keeping of our log lines is its own memory, not ours: they
        // are delivered (and L counts that) but not kept.
        host_->recording().logText = false;
        host_->recording().timeLogPrefix = "not found";  // the matcher's last line of a walk
        host_->setContacts(makeTable(rows, 1250));
        host_->loadPlugin(dll);
        host_->start();
        host_->page().open();
        host_->settings()[FIELD].value = "0";      // description
        host_->settings()[CONDITION].value = "1";  // contains
        list_ = host_->page().slotControl(RESULTS);
    }

    Figures measure(const Scenario& scenario, bool sort)
    {
        Figures figures;
        std::vector<double> walks, fills, totals, sorts, listViewSorts, f1s, f2s, f3s, floorClicks, shares, copies,
            logs, fillLogs;
        // Their room is taken now: what the heap keeps after the runs is the search's alone.
        for (std::vector<double>* runs : {&walks, &fills, &totals, &sorts, &listViewSorts, &f1s, &f2s, &f3s,
                                          &floorClicks, &shares, &copies, &logs, &fillLogs})
            runs->reserve(static_cast<size_t>(reps_));
        // Start from an empty result set, so the heap figure is this search's alone.
        emptyResults();
        size_t before = committed();
        size_t heapBefore = heapInUse();
        for (int rep = 0; rep < reps_; ++rep) {
            emptyResults();  // the fill is measured into an empty list, as F2 fills a fresh one
            host_->clearLog();
            host_->settings()[VALUE].value = scenario.value;
            int64_t start = now();
            host_->actionEvent(VALUE, 12);  // forced: every run searches, changed or not
            int64_t end = now();
            int64_t walkEnd = lastWalkEnd();
            walks.push_back(ms(walkEnd - start));
            fills.push_back(ms(end - walkEnd));
            totals.push_back(ms(end - start));
            figures.peak = std::max(figures.peak, committed());
            if (sort) {
                int64_t sortStart = now();
                host::clickHeader(list_, 0);
                sorts.push_back(ms(now() - sortStart));
                // The list view's own share: the same rows sorted with a comparison that costs nothing.
                int64_t ownStart = now();
                SendMessageA(list_, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(compareItemData));
                listViewSorts.push_back(ms(now() - ownStart));
            }
            // The floors run beside an empty result list, as our fill began.
            emptyResults();
            f1s.push_back(floorWalk(scenario.value, &figures.hits, &figures.hitBytes));
            double floorClick = 0;
            f2s.push_back(floorFill(scenario.value, &figures.floorPeak, sort ? &floorClick : nullptr));
            floorClicks.push_back(floorClick);
            if (sort)
                f3s.push_back(floorSort(scenario.value));
            std::vector<size_t> hits = hitRows(scenario.value);
            shares.push_back(hostShare(hits));
            copies.push_back(hitCopies(hits));
            logs.push_back(logLines(figures.hits));
            fillLogs.push_back(fillLogLines(figures.hits));
        }
        figures.logs = median(logs);
        figures.fillLogs = median(fillLogs);
        figures.ownPeak = ownPeak(scenario);
        // What stays after the search, the host's log let go: the plug-in's result set.
        host_->clearLog();
        size_t heapAfter = heapInUse();
        figures.retained = heapAfter > heapBefore ? heapAfter - heapBefore : 0;
        figures.peak = figures.peak > before ? figures.peak - before : 0;
        figures.walk = median(walks);
        figures.fill = median(fills);
        figures.total = median(totals);
        figures.sort = median(sorts);
        figures.listViewSort = median(listViewSorts);
        figures.f1 = median(f1s);
        figures.f2 = median(f2s);
        figures.f3 = median(f3s);
        figures.floorClick = median(floorClicks);
        figures.hostShare = median(shares);
        figures.copies = median(copies);
        return figures;
    }

private:
    // The most of the C runtime's heap in use during one more, untimed event,
    // beyond what was in use before it: the plug-in's own memory (the list
    // view allocates on another heap). Sampled at the host's answers, about
    // a hundred times an event; a vector's growth between two answers is
    // not seen.
    size_t ownPeak(const Scenario& scenario)
    {
        emptyResults();
        size_t base = heapInUse(), peak = base;
        int calls = 0, every = std::max(16, rows_ / 50);
        host_->beforeAnswer = [&](host::Op, int) {
            if (++calls % every == 0)
                peak = std::max(peak, heapInUse());
        };
        host_->settings()[VALUE].value = scenario.value;
        host_->actionEvent(VALUE, 12);
        host_->beforeAnswer = nullptr;
        peak = std::max(peak, heapInUse());
        return peak - base;
    }

    void emptyResults()
    {
        host_->settings()[VALUE].value = "\x01nothing";
        host_->actionEvent(VALUE, 12);
        host_->clearLog();
    }

    // The walk ends with the matcher's last log line, "not found ...".
    int64_t lastWalkEnd() const
    {
        const auto& times = host_->logTimes();
        return times.empty() ? now() : times.back().second;
    }

    // How long work takes that calls the host through the plug-in's own call
    // layer, outside any event; what it logs is let go after.
    template <class Work>
    double timedThroughHost(Work work)
    {
        HostControl* saved = session.hostControl;
        session.hostControl = static_cast<HostControl*>(host_->controlObject());
        int64_t start = now();
        work();
        double elapsed = ms(now() - start);
        host_->clearLog();
        session.hostControl = saved;
        return elapsed;
    }

    // The plug-in's three log lines of a hit, sent through the host alone.
    double logLines(size_t hits)
    {
        return timedThroughHost([hits] {
            for (size_t i = 0; i < hits; ++i) {
                logLine("searching : %d %s %d %d", 18, "", 1, static_cast<int>(i));
                logLine("returning %s", "w pracy na urlopie dom");
                logLine("found : %s %s %d", "Ma\xB3gorzata Kowalska", "w pracy na urlopie dom", 2);
            }
        });
    }

    // The fill's log line of a row (its network's icon), sent through the host alone.
    double fillLogLines(size_t hits)
    {
        return timedThroughHost([hits] {
            for (size_t i = 0; i < hits; ++i)
                logLine("net %d, used icon number %d", 2, 2);
        });
    }

    std::vector<size_t> hitRows(const char* value)
    {
        std::string folded = value;
        foldCase(folded);
        std::vector<size_t> hits;
        std::string cell;
        for (int row = 1; row <= rows_; ++row) {
            const char* text = host_->contacts().text(row, DESCRIPTION);
            cell.assign(text ? text : "");
            foldCase(cell);
            if (matchesCondition(cell.data(), cell.size(), folded, 1))
                hits.push_back(static_cast<size_t>(row));
        }
        return hits;
    }

    double floorWalk(const char* value, size_t* hits, size_t* hitBytes)
    {
        int64_t start = now();
        std::vector<size_t> rows = hitRows(value);
        double elapsed = ms(now() - start);
        *hits = rows.size();
        *hitBytes = 0;
        for (size_t row : rows)
            *hitBytes += strlen(host_->contacts().text(static_cast<int>(row), DISPLAY)) +
                         strlen(host_->contacts().text(static_cast<int>(row), DESCRIPTION));
        return elapsed;
    }

    // The fill's floor; raises *peak to what the bare list view committed.
    // With click, also times a header click on the filled bare list.
    double floorFill(const char* value, size_t* peak, double* click)
    {
        std::vector<size_t> rows = hitRows(value);
        // Each row's item data is its name's place in the sorted order: a
        // click then sorts the rows as much as ours does, for nothing.
        std::vector<LPARAM> nameRank = nameRanks(rows);
        size_t base = committed();
        // Visible and shaped as the host's page and our list are: a hidden
        // list view is far cheaper to fill.
        RECT pageBox, listBox;
        GetWindowRect(host_->page().window(), &pageBox);
        GetWindowRect(list_, &listBox);
        host::WindowSpec plan;
        plan.style = GetWindowLongA(host_->page().window(), GWL_STYLE);
        plan.x = plan.y = 0;
        plan.width = pageBox.right - pageBox.left;
        plan.height = pageBox.bottom - pageBox.top;
        plan.handler = &floorPage;
        HWND page = host::createHostWindow(host::pageKind(), plan);
        HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0,
                                    listBox.right - listBox.left, listBox.bottom - listBox.top, page, nullptr,
                                    nullptr, nullptr);
        LVCOLUMNA column;
        ZeroMemory(&column, sizeof column);
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.cx = 100;
        column.pszText = const_cast<char*>("a");
        SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
        // The same rows as the user sees them: styles and an image list like the result list's.
        SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
        HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
        for (int i = 0; i < 4; ++i)
            ImageList_ReplaceIcon(images, -1, icon);
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
        int64_t start = now();
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);  // the cheapest fill there is
        int n = 0;
        for (size_t row : rows) {
            LVITEMA item;
            ZeroMemory(&item, sizeof item);
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
            item.iItem = n;
            item.pszText = const_cast<char*>(host_->contacts().text(static_cast<int>(row), DISPLAY));
            item.iImage = n % 4;
            item.lParam = nameRank[static_cast<size_t>(n)];
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
            ZeroMemory(&item, sizeof item);
            item.iSubItem = 1;
            item.pszText = const_cast<char*>(host_->contacts().text(static_cast<int>(row), DESCRIPTION));
            SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(&item));
            ++n;
        }
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        double elapsed = ms(now() - start);
        size_t after = committed();
        *peak = std::max(*peak, after > base ? after - base : 0);
        if (click) {
            int64_t clickStart = now();
            host::clickHeader(list, 0);
            *click = ms(now() - clickStart);
        }
        DestroyWindow(page);
        return elapsed;
    }

    std::vector<LPARAM> nameRanks(const std::vector<size_t>& rows)
    {
        SortTexts names;
        std::vector<size_t> order(rows.size());
        for (size_t i = 0; i < order.size(); ++i) {
            order[i] = i;
            const char* name = host_->contacts().text(static_cast<int>(rows[i]), DISPLAY);
            names.add(name, strlen(name));
        }
        std::sort(order.begin(), order.end(), [&names](size_t a, size_t b) { return names.less(a, b); });
        std::vector<LPARAM> rank(rows.size());
        for (size_t k = 0; k < order.size(); ++k)
            rank[order[k]] = static_cast<LPARAM>(k);
        return rank;
    }

    double floorSort(const char* value)
    {
        std::vector<size_t> rows = hitRows(value);
        std::vector<std::string> names;
        for (size_t row : rows)
            names.push_back(host_->contacts().text(static_cast<int>(row), DISPLAY));
        std::vector<size_t> order(names.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        int64_t start = now();
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return compareShownTexts(names[a], names[b], false) < 0; });
        return ms(now() - start);
    }

    // The host's own cost of the calls a search's walks must make, through
    // the same control object the plug-in calls: per row the number of
    // contacts and the cell; per walk (one a hit, and the last) the table's
    // lock, its release and one more count; per hit its name, value and
    // network.
    double hostShare(const std::vector<size_t>& hits)
    {
        return timedThroughHost([this, &hits] {
            HostControl* control = session.hostControl;
            for (int row = 1; row <= rows_; ++row) {
                hostSend(HM_CONTACT_COUNT, 0, 0);
                readContactText(row, DESCRIPTION);
            }
            for (size_t walk = 0; walk <= hits.size(); ++walk) {
                control->lockTable(CONTACT_TABLE, -1, 0);
                hostSend(HM_CONTACT_COUNT, 0, 0);
                control->unlockTable(CONTACT_TABLE, -1, 0);
                if (walk == hits.size())
                    break;
                int row = static_cast<int>(hits[walk]);
                readContactText(row, DISPLAY);
                readContactText(row, DESCRIPTION);
                readContactInt(row, NET);
            }
        });
    }

    // Each hit's two texts copied the shortest way: their lengths, then the
    // bytes with their NULs, into one buffer made to measure beforehand.
    double hitCopies(const std::vector<size_t>& hits)
    {
        std::vector<const char*> texts;
        size_t bytes = 0;
        for (size_t row : hits) {
            for (int column : {DISPLAY, DESCRIPTION}) {
                texts.push_back(host_->contacts().text(static_cast<int>(row), column));
                bytes += strlen(texts.back()) + 1;
            }
        }
        std::vector<char> kept(bytes);
        int64_t start = now();
        char* at = kept.data();
        for (const char* text : texts) {
            size_t length = strlen(text) + 1;
            memcpy(at, text, length);
            at += length;
        }
        return ms(now() - start);
    }

    std::unique_ptr<host::StandInHost> host_;
    HWND list_ = nullptr;
    int rows_, reps_;
};

void printRow(const char* what, double figure, double floor);

// A contact file of rows contacts, as a user would give it: UTF-8 CSV.
std::string makeCsv(int rows, unsigned seed)
{
    host::ContactTable table = makeTable(rows, seed);
    std::string csv = "uid,net,display,city,description\n";
    for (int row = 0; row < table.rows(); ++row) {
        csv += table.text(row, 0);
        csv += ',';
        csv += table.text(row, NET);
        for (int column : {DISPLAY, CITY, DESCRIPTION}) {
            csv += ',';
            csv += host::cp1250ToUtf8(table.text(row, column));
        }
        csv += '\n';
    }
    return csv;
}

// Loading a contact file into the host against reading each of its bytes
// once and keeping them in one block, which no loader can avoid.
void measureLoad(int rows, int reps)
{
    std::string csv = makeCsv(rows, 1250);
    std::vector<double> loads, floors;
    for (int rep = 0; rep < reps; ++rep) {
        host::StandInHost host;
        int64_t start = now();
        host.setContacts(host::ContactTable::fromCsvText(csv, "bench"));
        loads.push_back(ms(now() - start));
        if (host.contacts().rows() != rows + 1)
            fprintf(stderr, "load: %d rows, wanted %d\n", host.contacts().rows(), rows + 1);

        start = now();
        std::string kept;
        kept.reserve(csv.size());
        size_t fields = 0;
        for (char c : csv) {
            fields += c == ',' || c == '\n';
            kept += c;
        }
        floors.push_back(ms(now() - start));
        if (fields == 0 || kept.size() != csv.size())
            fprintf(stderr, "load floor: nothing read\n");
    }
    printf("\n%d contacts in a %u KiB file\n", rows, static_cast<unsigned>(csv.size() / 1024));
    printRow("load (parse, convert, store)", median(loads), median(floors));
}

// The CPU time this thread has spent, in microseconds.
double threadMicroseconds()
{
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    auto value = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(value(kernel) + value(user)) / 10.0;
}

// What the thunks cost the host: a plain message (one nothing of ours acts
// on) to a page with our list in it, against the same page before 220, in
// CPU time; and a copy of the DLL loaded and unloaded (its
// DllMain finds the pages of thunks and takes one) with 10,000 more memory
// regions in the process, against none.
void measureThunks(const std::string& dll, int reps)
{
    const int MESSAGES = 200000;
    const UINT PLAIN = WM_USER + 0x77;
    double given = 0, withList = 0;
    {
        host::StandInHost host;
        host.recording().exchanges = false;
        host.loadPlugin(dll);
        host.start();
        host::WindowSpec plan;
        plan.title = "bench";
        HWND page = host::createHostWindow(host::WindowKind::Ansi, plan);
        host.page().adopt(page, true);
        auto perMessage = [page] {
            std::vector<double> runs;
            for (int rep = 0; rep < 3; ++rep) {
                double start = threadMicroseconds();
                for (int i = 0; i < MESSAGES; ++i)
                    SendMessageA(page, PLAIN, 0, 0);
                runs.push_back((threadMicroseconds() - start) / MESSAGES);
            }
            return median(runs);
        };
        given = perMessage();
        host.page().requestControl(RESULTS, 0, 0);  // 220: our list in the page, our thunk in front
        withList = perMessage();
        host.stop();
    }  // the host lets the library go: each load below runs its DllMain
    printf("\nThe thunks, medians\n");
    printf("    %-34s %10.3f us   floor %10.3f us   ratio %6.2f\n", "a page message, our list in it (CPU)",
           withList, given, given > 0 ? withList / given : 0);

    auto loads = [&dll, reps] {
        std::vector<double> runs;
        for (int rep = 0; rep < std::max(reps, 25); ++rep) {
            int64_t start = now();
            HMODULE module = LoadLibraryA(dll.c_str());
            if (module)
                FreeLibrary(module);
            else
                fprintf(stderr, "%s could not be loaded\n", dll.c_str());
            runs.push_back(ms(now() - start));
        }
        return median(runs);
    };
    double plain = loads();
    // Every other page committed: 10,000 committed regions between reserved ones.
    const size_t PAGES = 20000;
    char* reserved = static_cast<char*>(VirtualAlloc(nullptr, PAGES * 4096, MEM_RESERVE, PAGE_NOACCESS));
    for (size_t i = 0; reserved && i < PAGES; i += 2)
        VirtualAlloc(reserved + i * 4096, 4096, MEM_COMMIT, PAGE_READWRITE);
    double crowded = reserved ? loads() : 0;
    if (reserved)
        VirtualFree(reserved, 0, MEM_RELEASE);
    else
        fprintf(stderr, "no room for 10,000 more regions\n");
    printRow("load and unload, 10,000 more regions", crowded, plain);
}

void printRow(const char* what, double figure, double floor)
{
    printf("    %-34s %10.2f ms   floor %10.2f ms   ratio %6.2f\n", what, figure, floor, floor > 0 ? figure / floor : 0);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string dll = "lunetka.dll";
    std::vector<int> sizes = {1000, 10000, 100000};
    std::vector<int> loadSizes = {100000, 1000000};
    // Fewer runs let a median of the small sizes' walks swing by a tenth
    // between two runs of the whole bench.
    int reps = 9;
    bool thunksOnly = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--dll" && i + 1 < argc) {
            dll = argv[++i];
        } else if (arg == "--thunks") {
            thunksOnly = true;
        } else if (arg == "--reps" && i + 1 < argc) {
            reps = std::max(1, atoi(argv[++i]));
        } else if ((arg == "--sizes" || arg == "--load-sizes") && i + 1 < argc) {
            std::vector<int>& chosen = arg == "--sizes" ? sizes : loadSizes;
            chosen.clear();
            for (char* part = strtok(argv[++i], ","); part; part = strtok(nullptr, ","))
                chosen.push_back(atoi(part));
        } else {
            fprintf(stderr, "usage: lunetka-bench [--dll PATH] [--sizes 1000,10000,100000] "
                            "[--load-sizes 100000,1000000] [--reps 9] [--thunks]\n");
            return 2;
        }
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (thunksOnly) {
        measureThunks(dll, reps);
        return 0;
    }

    const Scenario scenarios[] = {
        {"S1 selective (~1%)", "pilne"},
        {"S2 broad (~50%)", "dom"},
        {"S3 every row", ""},
    };
    printf("Lunetka search cost, medians of runs (Wine list view, stand-in host)\n");
    Worst walk("search walk / floor", 1.2), event("whole event / floor", 1.15), click("header click / (a bare list view's click + F3)", 1.0),
        peak("our heap's peak / hit texts", 2.0), kept("retained / hit texts", 2.0);
    for (int rows : sizes) {
        // Below 100,000 contacts an event lasts milliseconds, and a moment of
        // another program's work on the machine moved a median of nine: three
        // times the runs cost those sizes a few seconds.
        int runs = rows < 100000 ? 3 * reps : reps;
        Bench bench(dll, rows, runs);
        printf("\n%d contacts, medians of %d runs\n", rows, runs);
        for (const Scenario& scenario : scenarios) {
            bool sorted = scenario.value[0] != 'p';
            Figures f = bench.measure(scenario, sorted);
            printf("  %s: %u hits, %u bytes of hit texts\n", scenario.name, static_cast<unsigned>(f.hits),
                   static_cast<unsigned>(f.hitBytes));
            std::string at = std::to_string(rows) + " " + std::string(scenario.name).substr(0, 2);
            double walkFloor = f.f1 + f.hostShare + f.copies + f.logs, eventFloor = walkFloor + f.f2 + f.fillLogs;
            printRow("search walk (event to last walk)", f.walk, walkFloor);
            printRow("  of it the host's calls (H)", f.hostShare, f.f1);
            printRow("  of it the hits' texts kept (C)", f.copies, f.f1);
            printRow("  of it 3 log lines per hit (L)", f.logs, f.f1);
            printRow("list fill", f.fill, f.f2 + f.fillLogs);
            printRow("  of it 1 log line per row (Lf)", f.fillLogs, f.f2);
            printRow("whole event", f.total, eventFloor);
            walk.see(f.walk / walkFloor, at);
            event.see(f.total / eventFloor, at);
            if (sorted) {
                printRow("S4 header click (sort)", f.sort, f.floorClick + f.f3);
                printRow("  a bare list view's own click", f.floorClick, f.f3);
                printRow("  the list view's own sort alone", f.listViewSort, f.f3);
                click.see(f.sort / (f.floorClick + f.f3), at + " S4");
            }
            double texts = static_cast<double>(std::max<size_t>(f.hitBytes, 1));
            double beyond = f.peak > f.floorPeak ? static_cast<double>(f.peak - f.floorPeak) : 0.0;
            printf("    memory: peak committed +%u KiB, the bare list view's +%u KiB: beyond it %.2fx the hit texts; "
                   "our own heap at its peak +%u KiB (%.2fx); retained on the heap %u KiB (%.2fx)\n",
                   static_cast<unsigned>(f.peak / 1024), static_cast<unsigned>(f.floorPeak / 1024), beyond / texts,
                   static_cast<unsigned>(f.ownPeak / 1024), static_cast<double>(f.ownPeak) / texts,
                   static_cast<unsigned>(f.retained / 1024), static_cast<double>(f.retained) / texts);
            if (f.hitBytes >= 4096) {  // below a page, committed memory says nothing
                peak.see(static_cast<double>(f.ownPeak) / texts, at);
                kept.see(static_cast<double>(f.retained) / texts, at);
            }
        }
    }
    printf("\nLoading a contact file, medians of %d runs\n", std::min(reps, 3));
    for (int rows : loadSizes)
        measureLoad(rows, std::min(reps, 3));
    measureThunks(dll, reps);
    printf("\nworst:");
    for (const Worst* worst : {&walk, &event, &click, &peak, &kept})
        printf(" %s %.2f at %s (goal %.2f)%s", worst->kind, worst->ratio, worst->where.c_str(), worst->goal,
               worst == &kept ? "\n" : ";");
    return 0;
}
