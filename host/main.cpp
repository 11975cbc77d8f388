// lunetka-host: the stand-in messenger on the command line. Loads a plug-in,
// runs its start sequence, can run a search the way a user's changes would,
// and prints what crossed and what the result list holds.
#include <windows.h>
#include <commctrl.h>
#include <locale.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "host/host_error.h"
#include "host/messenger.h"
#include "host/personality.h"
#include "host/reports.h"
#include "host/script_runner.h"
#include "host/result_list_reader.h"
#include "host/stand_in_host.h"
#include "host/text_codec.h"

using namespace host;

namespace {

const char USAGE[] =
    "usage: lunetka-host PLUGIN.dll [options]\n"
    "  --contacts FILE        contact table from a UTF-8 CSV file (header row names the columns)\n"
    "  --profile FILE         keep the plug-in's settings in FILE between runs\n"
    "  --query-state N        what the host answers to queryState (1 hides the version)\n"
    "  --personality KIND     the kind of messenger the host is (ansi by default; see below)\n"
    "  --unload-way WAY       how the unloading kind lets the plug-in go at the end: stop, message\n"
    "                         (its procedure in front, a message, no stop; the default) or nothing\n"
    "  --locale NAME          setlocale(LC_CTYPE, NAME) before the plug-in starts\n"
    "  --search F C VALUE     search: field F and condition C by label or number, then VALUE\n"
    "  --sort COLUMN          click the header of result column 0 or 1 (repeatable)\n"
    "  --focus ROW            give the focus to a result row (without selecting it)\n"
    "  --dblclick ROW         focus a result row and double-click it\n"
    "  --press properties|talk  press a button beside the result list\n"
    "  --open-window          choose the plug-in's menu entry\n"
    "  --transcript           print the start sequence's exchanges between host and plug-in\n"
    "  --trace                print every later exchange too (cell reads and row counts left out)\n"
    "  --tree                 print the actions the plug-in declared\n"
    "  --log                  print the host's log\n"
    "  --log-tail N           print the last N lines of the host's log\n"
    "  --gui                  open the messenger's window and let a person use it\n"
    "  --script FILE          run a script of user actions in the messenger's windows (see --script-help)\n"
    "  --do \"CMD; CMD\"        the same, commands given on the command line\n"
    "  --log-file FILE        append every log line to FILE (UTF-8)\n"
    "  --script-help          list the script commands\n";

struct Options {
    std::string plugin, contacts, profile, locale, logFile;
    std::vector<std::string> script;
    bool gui = false;
    int queryState = 0;
    size_t logTail = 0;
    bool transcript = false, trace = false, tree = false, log = false;
    UnloadWay unloadWay = UnloadWay::WithoutStopAfterAMessage;
    bool pageOpened = false;  // a quick step opened the configuration page

    // The quick steps are script lines: one interpreter runs both.
    void quickStep(const std::string& line)
    {
        if (!pageOpened)
            script.push_back("config");
        pageOpened = true;
        script.push_back(line);
    }
};

std::vector<std::string> commandLine()
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<size_t>(length), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &arg[0], length, nullptr, nullptr);
        arg.resize(static_cast<size_t>(length > 0 ? length - 1 : 0));
        args.push_back(arg);
    }
    LocalFree(wide);
    return args;
}

std::vector<std::string> readLines(const std::string& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    if (!file)
        throw HostError("cannot read script " + path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line))
        lines.push_back(line);
    return lines;
}

Options parseOptions(const std::vector<std::string>& args)
{
    Options options;
    auto need = [&](size_t i, size_t count, const std::string& option) {
        if (i + count >= args.size())
            throw HostError(option + " needs " + std::to_string(count) + " value(s)");
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--gui") {
            options.gui = true;
        } else if (arg == "--script-help") {
            fputs(SCRIPT_HELP, stdout);
            exit(0);
        } else if (arg == "--script" || arg == "--do") {
            need(i, 1, arg);
            std::vector<std::string> lines = arg == "--do" ? splitCommands(args[++i]) : readLines(args[++i]);
            options.script.insert(options.script.end(), lines.begin(), lines.end());
        } else if (arg == "--log-file") {
            need(i, 1, arg);
            options.logFile = args[++i];
        } else if (arg == "--contacts" || arg == "--profile" || arg == "--query-state" || arg == "--locale" ||
            arg == "--log-tail") {
            need(i, 1, arg);
            const std::string& value = args[++i];
            if (arg == "--contacts") options.contacts = value;
            else if (arg == "--profile") options.profile = value;
            else if (arg == "--locale") options.locale = value;
            else if (arg == "--log-tail") options.logTail = static_cast<size_t>(std::max(0, parseNumber(value, arg)));
            else options.queryState = parseNumber(value, arg);
        } else if (arg == "--search") {
            need(i, 3, arg);
            options.quickStep("choose field " + args[i + 1]);
            options.quickStep("choose condition " + args[i + 2]);
            options.quickStep("type " + args[i + 3]);
            i += 3;
        } else if (arg == "--sort" || arg == "--dblclick" || arg == "--focus") {
            need(i, 1, arg);
            options.quickStep((arg == "--sort" ? "header " : arg.substr(2) + " ") + args[++i]);
        } else if (arg == "--press") {
            need(i, 1, arg);
            const std::string& button = args[++i];
            if (button != "properties" && button != "talk")
                throw HostError("--press takes properties or talk");
            options.quickStep(button == "talk" ? "press Zacznij" : "press Właściwości");
        } else if (arg == "--open-window") {
            options.quickStep("menu");
        } else if (arg == "--transcript") {
            options.transcript = true;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--tree") {
            options.tree = true;
        } else if (arg == "--log") {
            options.log = true;
        } else if (arg == "--help" || arg == "-h") {
            fputs(USAGE, stdout);
            printf("kinds of messenger (--personality):\n");
            for (size_t k = 0; k < personalityCount; ++k)
                printf("  %-12s %s\n", personalityTable[k].name, personalityTable[k].does);
            exit(0);
        } else if (arg == "--personality") {
            need(i, 1, arg);
            setPersonality(personalityNamed(args[++i]));
        } else if (arg == "--unload-way") {
            need(i, 1, arg);
            const std::string way = args[++i];
            if (way != "stop" && way != "message" && way != "nothing")
                throw HostError("--unload-way is stop, message or nothing, not '" + way + "'");
            options.unloadWay = way == "stop"      ? UnloadWay::AfterStop
                                : way == "message" ? UnloadWay::WithoutStopAfterAMessage
                                                   : UnloadWay::WithoutStopNothingBetween;
        } else if (arg.compare(0, 2, "--") == 0 || !options.plugin.empty()) {
            throw HostError("unknown argument '" + arg + "' (see --help)");
        } else {
            options.plugin = arg;
        }
    }
    if (options.plugin.empty())
        throw HostError("no plug-in given (see --help)");
    return options;
}

int run(const Options& options)
{
    if (!options.locale.empty() && !setlocale(LC_CTYPE, options.locale.c_str()))
        throw HostError("the C runtime has no locale '" + options.locale + "'");

    StandInHost host;
    if (!options.contacts.empty())
        host.setContacts(ContactTable::fromCsvFile(options.contacts));
    if (!options.profile.empty())
        host.setProfileFile(options.profile);
    host.setQueryState(options.queryState);
    host.loadPlugin(options.plugin);
    host.start();
    size_t started = host.exchanges().size();
    if (options.transcript) {
        printf("start sequence:\n");
        for (const std::string& line : transcriptLines(host.exchanges()))
            printf("  %s\n", line.c_str());
    }
    if (options.tree)
        printf("declared actions:\n%s", actionTreeText(host.actions()).c_str());

    // The unloading kind ends its own way, its page still there; the others stop us.
    host.variant.unloadWay = options.unloadWay;
    bool unloading = personality() == Personality::Unloading;
    if (options.gui || !options.script.empty()) {
        Messenger messenger(host, options.logFile);
        if (!options.script.empty())
            runScript(messenger, host, options.script, stdout);
        if (options.gui)
            messenger.run();
        if (unloading)
            host.unloadAndLoadAgain();
    } else if (unloading) {
        host.unloadAndLoadAgain();
    }
    if (host.pluginLoaded())
        host.stop();
    if (options.trace) {
        printf("after start (%u exchanges; cell reads and row counts not shown):\n",
               static_cast<unsigned>(host.exchanges().size() - started));
        std::vector<std::string> lines = transcriptLines(host.exchanges());
        for (size_t i = started; i < lines.size(); ++i) {
            const Exchange& exchange = host.exchanges()[i];
            if (exchange.op != Op::ReadCell && exchange.message != MSG_CONTACT_COUNT)
                printf("  %s\n", lines[i].c_str());
        }
    }
    const std::vector<std::string>& log = host.log();
    if (options.log || options.logTail) {
        size_t from = options.log || options.logTail >= log.size() ? 0 : log.size() - options.logTail;
        printf("log (%u lines%s):\n", static_cast<unsigned>(log.size()), from ? ", the last ones" : "");
        for (size_t i = from; i < log.size(); ++i)
            printf("  %s\n", cp1250ToUtf8(log[i]).c_str());
    }
    if (!host.kindActs().empty()) {
        printf("what the %s host did:\n", personalityName(personality()));
        for (const std::string& act : host.kindActs())
            printf("  %s\n", act.c_str());
    }
    if (!host.abiErrors().empty()) {
        fprintf(stderr, "lunetka-host: %u ABI error(s)\n", static_cast<unsigned>(host.abiErrors().size()));
        return 3;
    }
    return 0;
}

}  // namespace

int main()
{
    try {
        return run(parseOptions(commandLine()));
    } catch (const HostError& error) {
        fprintf(stderr, "lunetka-host: %s\n", error.what());
        return 2;
    } catch (const std::exception& error) {
        fprintf(stderr, "lunetka-host: unexpected failure: %s\n", error.what());
        return 2;
    }
}
