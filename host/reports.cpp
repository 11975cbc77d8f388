#include "host/reports.h"

#include <stdio.h>
#include <map>
#include <sstream>

#include "host/host_layout.h"
#include "host/result_list_reader.h"
#include "host/text_codec.h"

namespace host {

// Texts the plug-in sends hold control bytes (0x02, 0x03, 0x1A, "\n"): show them.
std::string printable(const std::string& cp1250)
{
    std::string shown;
    for (char c : cp1250) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return cp1250ToUtf8(shown);
}

namespace {

const char* messageName(int id)
{
    switch (id) {
    case MSG_LOG: return "log";
    case MSG_VERSION_TEXT: return "version text";
    case MSG_CONTACT_COUNT: return "contact count";
    case MSG_PLUGIN_COUNT: return "plug-in count";
    case MSG_PLUGIN_ID_AT: return "plug-in id at";
    case MSG_PLUGIN_MODULE: return "plug-in module";
    case MSG_ADD_COLUMN: return "add settings column";
    case MSG_ACTION_CREATE: return "create action";
    case MSG_ACTION_CALL: return "run host action";
    case MSG_ACTION_GET_VALUE: return "action value";
    case MSG_ICON_REGISTER: return "register icon";
    case MSG_ICON_GET: return "get icon";
    case MSG_START: return "start";
    case MSG_STOP: return "stop";
    case MSG_SETTINGS_COLUMNS: return "settings columns";
    case MSG_BUILD_UI: return "build interface";
    case MSG_ACTION_EVENT: return "action event";
    case MSG_PLUGIN_NET: return "plug-in network";
    case MSG_PLUGIN_TYPE: return "plug-in type";
    case MSG_PLUGIN_DISPLAY_NAME: return "plug-in display name";
    default: return "?";
    }
}

}  // namespace

std::vector<std::string> transcriptLines(const std::vector<Exchange>& exchanges)
{
    std::vector<std::string> lines;
    for (const Exchange& exchange : exchanges) {
        std::string line;
        if (exchange.op == Op::Entry) {
            line = "host -> plug-in  " + std::to_string(exchange.message) + " (" + messageName(exchange.message) +
                   ")";
        } else if (exchange.op == Op::Send || exchange.op == Op::SendTo) {
            line = std::string("plug-in -> host  ") + opName(exchange.op);
            if (exchange.op == Op::SendTo)
                line += " plug-in " + std::to_string(exchange.args[0]);
            line += "  " + std::to_string(exchange.message) + " (" + messageName(exchange.message) + ")";
            if (!exchange.text.empty())
                line += " \"" + printable(exchange.text) + "\"";
        } else {
            line = std::string("plug-in -> host  ") + opName(exchange.op);
            for (intptr_t argument : exchange.args)
                line += " " + std::to_string(argument);
            if (!exchange.text.empty())
                line += " \"" + printable(exchange.text) + "\"";
        }
        line += "  => " + std::to_string(exchange.reply);
        lines.push_back(line);
    }
    return lines;
}

std::string actionTreeText(const std::vector<Action>& actions)
{
    std::ostringstream out;
    std::map<int, int> depthOf;   // declared id -> depth of its children
    std::map<int, int> groupsOpen;  // parent id -> groups open under it
    for (const Action& declared : actions) {
        int base = depthOf.count(declared.parent) ? depthOf[declared.parent] : 0;
        if (!depthOf.count(declared.parent) && !groupsOpen.count(declared.parent)) {
            out << "under host place " << declared.parent << ":\n";
            groupsOpen[declared.parent] = 0;
        }
        if (declared.kind() == KIND_GROUP_END) {
            if (groupsOpen[declared.parent] > 0)
                --groupsOpen[declared.parent];
            continue;
        }
        int depth = base + 1 + groupsOpen[declared.parent];
        std::string kind;
        switch (declared.kind()) {
        case KIND_GROUP_START: kind = "group"; break;
        case KIND_COMBO: kind = "combo"; break;
        case KIND_EDIT: kind = "edit"; break;
        case KIND_CUSTOM: kind = "custom control"; break;
        case KIND_BUTTON: kind = "button"; break;
        case KIND_INFO_IMAGE: kind = "info image"; break;
        case KIND_INFO_TEXT: kind = "info text"; break;
        default: kind = (declared.type & TYPE_PAGE_BIT) ? "page" : "menu entry"; break;
        }
        out << std::string(static_cast<size_t>(depth) * 2, ' ') << kind;
        if (declared.id)
            out << " " << declared.id;
        if (declared.kind() == KIND_BUTTON)
            out << " \"" << printable(declared.caption) << "\"";
        else if (declared.kind() != KIND_COMBO && declared.hasText)
            out << " \"" << printable(declared.text) << "\"";
        if (declared.param)
            out << " param " << declared.param;
        if (declared.position != -1)
            out << " position " << declared.position;
        if (declared.width || declared.height)
            out << " size " << declared.width << "x" << declared.height;
        out << "\n";
        for (const auto& item : declared.items)
            out << std::string(static_cast<size_t>(depth) * 2 + 2, ' ') << "item " << printable(item.second) << ": "
                << printable(item.first) << "\n";
        if (declared.kind() == KIND_GROUP_START)
            ++groupsOpen[declared.parent];
        if (declared.id)
            depthOf[declared.id] = depth;
    }
    return out.str();
}

void printResultList(FILE* out, HWND list, const char* indent, size_t limit)
{
    std::vector<ResultRow> rows = readResultRows(list);
    fprintf(out, "%sresult list: %u row(s)\n", indent, static_cast<unsigned>(rows.size()));
    for (size_t i = 0; i < rows.size() && i < limit; ++i)
        fprintf(out, "%s  %2u. [icon %d] %s | %s\n", indent, static_cast<unsigned>(i), rows[i].image,
                cp1250ToUtf8(rows[i].contact).c_str(), cp1250ToUtf8(rows[i].value).c_str());
    if (rows.size() > limit)
        fprintf(out, "%s  ... and %u more\n", indent, static_cast<unsigned>(rows.size() - limit));
}

void printHostActions(FILE* out, const StandInHost& host, size_t fromExchange, const char* indent)
{
    const std::vector<Exchange>& all = host.exchanges();
    for (size_t i = fromExchange; i < all.size(); ++i) {
        if (all[i].op != Op::Send || all[i].message != MSG_ACTION_CALL || all[i].payload.size() < 18)
            continue;
        const uint8_t* call = all[i].payload.data();
        int row = i32At(call, action_event::CONTACT);
        const char* name = host.contacts().text(row, COLUMN_DISPLAY);
        fprintf(out, "%shost action %d of group %d requested for contact row %d (%s)\n", indent, i32At(call, action_event::ID),
                i32At(call, action_event::PARENT), row, name ? cp1250ToUtf8(name).c_str() : "?");
    }
}

}  // namespace host
