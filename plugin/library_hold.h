// The library keeps itself loaded while a page's procedure chain leads
// through ours behind the host's own procedure, which forwards to ours for
// good (page_subclass.h). Where we see it first (the page procedure, any
// message, 221, stop), holdLibrary takes a reference of our own, given back
// by releaseLibraryHold. An unload that is first to see it can only pin the
// library (pinLibrary): what our page procedure reads after that is never
// destroyed by the runtime (persistent.h). All are safe to call more than
// once; session.heldModule and session.pinned say what holds the library.
#pragma once

void holdLibrary();
void pinLibrary();
// Our reference goes. Called inside a call of the host's (which holds the
// library meanwhile), once no page has another procedure in front of ours
// (keepLoadedWhilePagesNeedUs, result_list.h). A host that takes its
// procedure away and unloads us without a word between leaves the copy
// loaded; loading it again restarts it.
void releaseLibraryHold();
