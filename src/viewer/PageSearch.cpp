#include "viewer/PageSearch.h"

#include <algorithm>

PageSearch::PageSearch(int start, bool forward, int first, int last) : m_start(start), m_forward(forward)
{
    // Counted in 64 bits: a page box can hold any number the conversion accepts.
    const qint64 from = qint64(start) + (forward ? 1 : -1);
    qint64 count = 0;
    if (from >= first && from <= last) {
        count = forward ? last - from + 1 : from - first + 1;
    }
    m_candidates.resize(size_t(count));
}

PageSearch::Scan PageSearch::scan() const
{
    for (int i = 0; i < int(m_candidates.size()); ++i) {
        switch (m_candidates[size_t(i)].state) {
        case State::Missing:
            continue;
        case State::Found:
            return {Outcome::Found, i};
        case State::Failed:
            return {Outcome::Failed, i};
        case State::Unasked:
        case State::Asked:
            return {Outcome::Undecided, i};
        }
    }
    return {Outcome::Exhausted, -1};
}

std::optional<int> PageSearch::nextToAsk()
{
    const Scan now = scan();
    if (now.outcome != Outcome::Undecided || m_inFlight >= m_limit) {
        return std::nullopt;
    }
    const int end = std::min(now.index + kMaxInFlight, int(m_candidates.size()));
    for (int i = now.index; i < end; ++i) {
        Candidate &candidate = m_candidates[size_t(i)];
        if (candidate.state == State::Found || candidate.state == State::Failed) {
            break;
        }
        if (candidate.state == State::Unasked) {
            candidate.state = State::Asked;
            candidate.askedAlongsideOthers = m_limit > 1;
            ++m_inFlight;
            return pageAt(i);
        }
    }
    return std::nullopt;
}

bool PageSearch::record(int page, Answer answer)
{
    const int index = indexOf(page);
    if (index < 0 || index >= int(m_candidates.size()) || m_candidates[size_t(index)].state != State::Asked) {
        return false;
    }
    Candidate &candidate = m_candidates[size_t(index)];
    --m_inFlight;
    switch (answer) {
    case Answer::Missing:
        candidate.state = State::Missing;
        return false;
    case Answer::Found:
        candidate.state = State::Found;
        return false;
    case Answer::Failed:
        candidate.state = State::Failed;
        return false;
    case Answer::Refused:
        break;
    }
    if (!candidate.askedAlongsideOthers) {
        // Refused even when asked on its own: the walk would have stopped here too.
        candidate.state = State::Failed;
        return false;
    }
    candidate.state = State::Unasked;
    const bool turned = m_limit > 1;
    m_limit = 1;
    return turned;
}

PageSearch::Outcome PageSearch::outcome() const
{
    return scan().outcome;
}

std::optional<int> PageSearch::decidedPage() const
{
    const Scan now = scan();
    if (now.outcome == Outcome::Found || now.outcome == Outcome::Failed) {
        return pageAt(now.index);
    }
    return std::nullopt;
}

std::optional<int> PageSearch::nearestUndecided() const
{
    const Scan now = scan();
    if (now.outcome == Outcome::Undecided) {
        return pageAt(now.index);
    }
    return std::nullopt;
}

QList<int> PageSearch::inFlight() const
{
    QList<int> pages;
    for (int i = 0; i < int(m_candidates.size()); ++i) {
        if (m_candidates[size_t(i)].state == State::Asked) {
            pages.append(pageAt(i));
        }
    }
    return pages;
}
