// What every page with a list shares: the host it works over, the kind of list it shows, its
// entering (the focus to the list, the list loaded when empty), the wait of its commands
// while the list loads and the reading of a list made of the player's files.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "desktop/page_host.h"

namespace harrowin {

class TListPage : public QWidget {
    Q_OBJECT
public:
    TListKind Kind() const { return FKind; }
    // The control that takes the focus when the page is entered.
    virtual QWidget* FocusList() const = 0;
    virtual bool ListEmpty() const = 0;
    // Fills the list from the player (the page's own loader; a failure is thrown).
    virtual void LoadList() = 0;
    // The page is entered by its button or key: the focus goes to its list, and an empty list
    // is loaded through the host.
    virtual void Enter();

protected:
    TListPage(TPageHost& host, TListKind kind, QWidget* parent);

    // While a list loads, window messages run (the player shows its progress in the status
    // bar): the page's commands wait for the list, as they would act on rows that are about to
    // be replaced, and a load asked for meanwhile is left to the one under way.
    bool ListLoading() const { return FListLoading; }
    // Held by a load for its length; Started() is false when another load of the list runs.
    class TListLoad {
    public:
        explicit TListLoad(TListPage& page) : FPage(page), FStarted(!page.FListLoading) { page.FListLoading = true; }
        ~TListLoad() {
            if (FStarted) FPage.FListLoading = false;
        }
        TListLoad(const TListLoad&) = delete;
        TListLoad& operator=(const TListLoad&) = delete;
        bool Started() const { return FStarted; }

    private:
        TListPage& FPage;
        const bool FStarted;
    };

    // Reads each of the files into the list through readRow. A file that cannot be read (too
    // large, unreadable) is passed over, so one bad file never empties the list: the reasons of
    // those passed over, one line each naming its file, or "" when every file was read.
    std::string ReadEachFile(const std::vector<std::string>& files,
                             const std::function<void(const std::string& file)>& readRow);
    // Shows those reasons in one message once the list stands (nothing when there are none).
    void TellUnreadFiles(const std::string& reasons);

    TPageHost& FHost;

private:
    const TListKind FKind;
    bool FListLoading = false;
};

}  // namespace harrowin
