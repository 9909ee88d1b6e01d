// Real icons of shell items, looked up off the window thread. Asking the shell for an item's icon may
// open the item (a shortcut's target, a program's resources) and, under Wine, re-reads its whole folder
// when asked with the item's absolute list; on a slow file system each call waits for it. A menu window
// never waits for any of that: it shows the icon of the item's type first (TTypeIcons) and asks here.
//
// One process-wide worker thread with an apartment of its own takes the requests newest first (the rows
// the user scrolled to last), binds each item's parent folder itself (keeping the last one: the rows of a
// window share it) and asks the folder for the item's index in the system image lists. Only copies of
// identifier lists cross to it; shell objects never do. Its answers come back through the queue of a
// hidden window and reach the client that asked, if it is still there.
//
// Clients live on the window thread, the thread of the first request. A client that goes, or asks again,
// drops its request: one still queued is freed at once, an answer already on its way is dropped when it
// arrives (every request has a ticket of its own, so an object made at a gone client's address gets none
// of its answers).
//
// The worker lives while any client that has asked lives. When the last goes, the window thread tells the
// worker to stop and lets go of it without waiting: it may be held up in the file system, and process
// exit waits for nothing of it. An idle worker ends at once, releasing the folder it held.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>

class TIconClient {
public:
    TIconClient(const TIconClient&) = delete;
    TIconClient& operator=(const TIconClient&) = delete;

    // Asks for the small icon of the item `item` names; an open request of this client is dropped. False
    // when no request could be made (no memory, no thread): then no answer comes.
    bool RequestIcon(PCUIDLIST_ABSOLUTE item) noexcept;
    // Drops this client's open request, if any.
    void CancelIcon() noexcept;
    // Whether a request of this client waits for its answer.
    bool IconPending() const noexcept;

protected:
    TIconClient() noexcept = default;
    ~TIconClient();  // drops the open request

    // The answer, from the window thread's message loop: the item's index in the system image lists, or
    // -1 when the shell had none for it.
    virtual void IconFetched(int index) = 0;

private:
    friend class TIconFetcher;
    uint64_t ticket_ = 0;  // of the last request; 0 before the first
};

// What the tests look at: requests made and workers whose bodies have not returned, program-wide.
struct TIconFetcherCounts {
    static long Requests() noexcept;
    static long RunningWorkers() noexcept;
};
