#pragma once

#include <QList>

#include <optional>
#include <vector>

// The candidates of one page search and what is known of each. The pages are asked for several
// at a time, but the answer is the one a walk from page to page would give: the nearest page
// that exists, whatever order the answers come in. A farther page that answers first is held
// until every nearer one is known to be missing.
//
// Pure bookkeeping: it says which page to ask for next and what has been decided, and leaves
// the asking to its owner.
class PageSearch
{
public:
    static constexpr int kMaxInFlight = 6;

    enum class Answer {
        Missing,
        Found,
        // The server is overwhelmed (429, 503) or the connection failed: asked again, one page at
        // a time, unless it was asked one at a time already, when it counts as Failed.
        Refused,
        Failed,
    };
    enum class Outcome { Undecided, Found, Failed, Exhausted };

    // The candidates are start+1, start+2, ... (forward) or start-1, start-2, ... as long as they
    // lie within first..last; the first step outside ends them.
    PageSearch(int start, bool forward, int first, int last);
    // A search with no candidates at all.
    PageSearch() = default;

    // The next page to ask for now, nearest first; none while as many pages as allowed are in
    // flight, beyond six candidates from the nearest undecided one, or beyond a page already
    // found or failed (nothing farther can change the answer).
    std::optional<int> nextToAsk();
    // The answer for a page asked for. Returns true when it turned the search to one page at a
    // time.
    bool record(int page, Answer answer);

    Outcome outcome() const;
    // The page found, or the page whose failure ended the search.
    std::optional<int> decidedPage() const;
    // The nearest page not yet known to be missing: the one a walk would be trying now.
    std::optional<int> nearestUndecided() const;
    QList<int> inFlight() const;
    bool oneAtATime() const { return m_limit == 1; }
    int candidates() const { return int(m_candidates.size()); }

private:
    enum class State { Unasked, Asked, Missing, Found, Failed };
    struct Candidate {
        State state = State::Unasked;
        bool askedAlongsideOthers = false;
    };
    struct Scan {
        Outcome outcome;
        int index;
    };
    Scan scan() const;
    int pageAt(int index) const { return m_forward ? m_start + 1 + index : m_start - 1 - index; }
    int indexOf(int page) const { return m_forward ? page - m_start - 1 : m_start - 1 - page; }

    int m_start = 0;
    bool m_forward = false;
    int m_limit = kMaxInFlight;
    int m_inFlight = 0;
    std::vector<Candidate> m_candidates;
};
