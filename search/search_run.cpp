#include "search/search_run.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "plugin/action_ids.h"
#include "plugin/host_calls.h"
#include "search/contact_matcher.h"
#include "search/found_contacts.h"
#include "views/result_list.h"

std::vector<FoundContact> foundContacts;
char lastCondition[12];
char lastValue[500];
char lastField[12];

const int fieldColumns[9] = {18, 0, 8, 9, 4, 13, 6, 7, 17};

namespace {

const int CONTACT_COLUMN_NET = 1;
const int CONTACT_COLUMN_DISPLAY_NAME = 8;

// Reads one control's current text into work and caches it; true when it
// differs from what the cache held. The host is trusted with nothing: a
// request that writes nothing reads as empty, and the text is cut to fit.
bool readCriterion(int actionId, char* work, int requestSize, char* cache, size_t cacheSize)
{
    work[0] = '\0';
    getActionValue(actionId, ACTION_PAGE, CONTACT_NONE, work, requestSize, true);
    work[requestSize - 1] = '\0';
    bool changed = strcmp(work, cache) != 0;
    size_t length = strnlen(work, cacheSize - 1);
    memcpy(cache, work, length);
    cache[length] = '\0';
    return changed;
}

std::string contactText(int row, int column)
{
    const char* text = readContactText(row, column, nullptr, 0);
    return text ? text : "";
}

}  // namespace

const FoundContact* foundContactAt(intptr_t itemData)
{
    if (itemData < 0 || static_cast<size_t>(itemData) >= foundContacts.size())
        return nullptr;
    return &foundContacts[static_cast<size_t>(itemData)];
}

intptr_t runSearch(ActionEvent* event)
{
    if (event->code == NOTIFY_IGNORE)
        return 0;
    bool forced = event->code == NOTIFY_FORCE_REFRESH;

    char work[500];
    bool changed = readCriterion(ACTION_CONDITION, work, 10, lastCondition, sizeof lastCondition);
    int condition = atoi(work);
    changed |= readCriterion(ACTION_VALUE, work, 500, lastValue, sizeof lastValue);
    std::string value = work;  // the matcher folds this copy; the cache keeps the text as read
    changed |= readCriterion(ACTION_FIELD, work, 10, lastField, sizeof lastField);
    if (!forced && !changed)
        return 0;

    int field = atoi(work);
    foundContacts.clear();
    if (field < 0 || field >= static_cast<int>(sizeof fieldColumns / sizeof fieldColumns[0])) {
        // Only a damaged setting gets here; searching some other column would mislead.
        logLine("unknown field %d, nothing searched", field);
        fillResultList();
        return 0;
    }

    int column = fieldColumns[field];
    for (int row = findContact(column, value, condition, 1); row != 0;
         row = findContact(column, value, condition, row + 1)) {
        FoundContact hit;
        hit.contactIndex = row;
        hit.displayName = contactText(row, CONTACT_COLUMN_DISPLAY_NAME);
        hit.matchedValue = contactText(row, column);
        hit.net = readContactInt(row, CONTACT_COLUMN_NET);
        logLine("found : %s %s %d", hit.displayName.c_str(), hit.matchedValue.c_str(), hit.net);
        foundContacts.push_back(std::move(hit));
    }
    foundContacts.shrink_to_fit();  // kept until the next search: no spare capacity
    fillResultList();
    return 0;
}

void fillResultList()
{
    // A visible list view repaints and rescrolls after every insert; on some
    // list views that makes a fill of n rows cost n squared. Drawing resumes,
    // once, when the rows are in.
    SendMessageA(resultList, WM_SETREDRAW, FALSE, 0);
    SendMessageA(resultList, LVM_DELETEALLITEMS, 0, 0);
    for (const FoundContact& hit : foundContacts) {
        int row = static_cast<int>(SendMessageA(resultList, LVM_GETITEMCOUNT, 0, 0));
        int image = netIcons[hit.net];
        logLine("net %d, used icon number %d", hit.net, image);

        LVITEMA item;
        memset(&item, 0, sizeof item);
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = row;
        item.pszText = const_cast<char*>(hit.displayName.c_str());
        item.iImage = image;
        item.lParam = row;
        SendMessageA(resultList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));

        memset(&item, 0, sizeof item);
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(hit.matchedValue.c_str());
        SendMessageA(resultList, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(resultList, WM_SETREDRAW, TRUE, 0);
    if (resultList)
        InvalidateRect(resultList, nullptr, TRUE);
}
