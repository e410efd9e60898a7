// What an update could not do, gathered from each of its steps (the feeds, the episodes, the
// hand-over) so that the user is told once at the end: in the status text, with the number, and
// in one message naming each failure and why.
#pragma once

#include <string>
#include <vector>

namespace harrowincast {

class TUpdateFailures {
public:
    // One failure, a line of the message (which feed or episode, and why).
    void Add(const std::string& Line);
    // Failures that a step has already listed in a message of its own: counted, not repeated.
    void AddShown(int Count);

    // The user pressed Cancel: the update says so, and the failures before it are still told.
    void SetCancelled() { FCancelled = true; }

    int Count() const { return static_cast<int>(FLines.size()) + FShown; }
    // "更新は完了しました" when nothing failed; otherwise the same with the number of failures;
    // "更新はキャンセルされました" after a Cancel.
    std::string StatusText() const;
    // The message listing the failures added by line (at most kShownLines of them, each on one
    // line of at most kLineChars characters); "" when there are none.
    std::string Summary() const;

    // As many as a box on a small screen shows whole.
    static constexpr size_t kShownLines = 10;
    // A line names a feed and an episode title from the feed, which may be of any length.
    static constexpr size_t kLineChars = 200;
    // What a line quotes from a feed (a title) is cut shorter, so that the reason after it stays.
    static constexpr size_t kQuotedChars = 40;

    // The text on one line (control characters as blanks), cut with "…" to at most Chars
    // characters.
    static std::string Shortened(const std::string& Text, size_t Chars);

private:
    std::vector<std::string> FLines;
    int FShown = 0;
    bool FCancelled = false;
};

}  // namespace harrowincast
