// The messages the host sends to IMessageProc, each answered with one 32-bit
// value. Only the dispatch answers them, so only the dispatch (and a test that
// names one) reads this file: a new message recompiles nothing else. The
// questions every plug-in answers, the host's and other plug-ins' alike, are
// in base/host_requests.h, since we ask them too.
#pragma once

// in:  p1 = HostControl*.  reply: 1 if the search window class was registered.
const int HM_START = 20001;
// in:  nothing (a short record is fine).  reply: 1.
const int HM_STOP = 20002;
// reply: 2.  The host's meaning is its own.
const int HM_QUERY_20020 = 20020;
// reply: 1 after the three settings columns were declared.
const int HM_SETTINGS_COLUMNS = 21001;
// reply: 1 after icons, page, controls and menu entry were declared.
const int HM_BUILD_UI = 22000;
// reply: 1.
const int HM_QUERY_22100 = 22100;
// reply: 1.
const int HM_QUERY_22101 = 22101;
// in:  p1 = ActionEvent*.  reply: the routed handler's result.
const int HM_ACTION_EVENT = 22200;
// reply: 0.
const int HM_QUERY_30012 = 30012;
// reply: pointer to the plug-in's name.
const int HM_PLUGIN_NAME = 30013;
// reply: 0.
const int HM_QUERY_30017 = 30017;
