// What Harrowin's pages need from the window they live in: the player object, the settings and
// the language table of the run, the status bar, the reload of a list by its kind, the list
// sort states, the transfer-failure log, the bookkeeping of long work on the player's files, and
// the window their dialogs are shown over. The main window is the host; page tests have their own.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

class QWidget;
class TTolvIPOD;

namespace harrowin {

class TLagugae;
class TTolvIPodINI;

// The lists of the pages, one per page with a list: what LoadTabList fills.
enum class TListKind { Notes, Contacts, Calendar, Photos, Sites, ToDo, Songs, Videos };

class TPageHost {
public:
    virtual TTolvIPOD& Player() = 0;
    virtual TTolvIPodINI& Settings() = 0;
    virtual const TLagugae& Lang() const = 0;
    // The window the pages' dialogs and message boxes are shown over.
    virtual QWidget* DialogParent() = 0;
    // The status bar: panel 0 the connection state, panel 1 messages.
    virtual void SetStatusText(int panel, const QString& text) = 0;
    // Progress in panel 1 ("p % - Msg"); lets pending window messages run.
    virtual void ShowProgressInStatus(int32_t Position, int32_t Max, const std::string& Msg) = 0;
    // Fills the list of that kind again; a failure is shown to the user, not thrown.
    virtual void LoadTabList(TListKind Kind) = 0;
    // The list sort state of a Tag 1..5 (0 for any other Tag, which cannot be changed).
    virtual int32_t& SortState(int tag) = 0;
    // The transfer-failure log over the given output folder.
    virtual void ShowTransferLog(const std::string& folder) = 0;
    // True while long work runs after the player went away (see TPlayerWork).
    virtual bool PlayerGone() const = 0;

protected:
    ~TPageHost() = default;

private:
    friend class TPlayerWork;
    // Long work on the player's files begins and ends (always in pairs, through TPlayerWork).
    virtual void BeginPlayerWork() = 0;
    virtual void EndPlayerWork() = 0;
};

// Held by long work on the player's files (a copy, an extraction, a fill that lets window
// messages run) while it runs: a removal noticed meanwhile leaves the player's data in place and
// only marks the player gone (the work asks PlayerGone, counts what it did not reach as failed
// and ends), and the waiting state follows once the last such work is over.
class TPlayerWork {
public:
    explicit TPlayerWork(TPageHost& host) : FHost(host) { FHost.BeginPlayerWork(); }
    ~TPlayerWork() { FHost.EndPlayerWork(); }
    TPlayerWork(const TPlayerWork&) = delete;
    TPlayerWork& operator=(const TPlayerWork&) = delete;

private:
    TPageHost& FHost;
};

}  // namespace harrowin
