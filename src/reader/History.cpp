#include "reader/History.h"

void History::commandShown(const PageEntry &shown)
{
    if (m_current >= 0) {
        PageEntry &current = m_entries[m_current];
        if (current.samePage(shown)) {
            current.subpage = shown.subpage;
            return;
        }
        m_entries.resize(m_current + 1);
    }
    m_entries.append(shown);
    if (m_entries.size() > kCapacity) {
        m_entries.removeFirst();
    }
    m_current = m_entries.size() - 1;
}

void History::unattendedShown(const PageEntry &shown)
{
    if (m_current >= 0 && m_entries[m_current].samePage(shown)) {
        m_entries[m_current].subpage = shown.subpage;
    }
}

void History::moveShown(qsizetype index, const PageEntry &shown)
{
    if (index < 0 || index >= m_entries.size()) {
        return;
    }
    m_current = index;
    m_entries[index] = shown;
}

std::optional<qsizetype> History::backIndex() const
{
    if (m_current > 0) {
        return m_current - 1;
    }
    return std::nullopt;
}

std::optional<qsizetype> History::forwardIndex() const
{
    if (m_current >= 0 && m_current + 1 < m_entries.size()) {
        return m_current + 1;
    }
    return std::nullopt;
}
