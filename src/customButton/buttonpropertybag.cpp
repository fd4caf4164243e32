#include "buttonpropertybag.h"

qsizetype ButtonPropertyBag::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).first.compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

void ButtonPropertyBag::write(const QString &name, const QVariant &value)
{
    const qsizetype i = indexOf(name);
    if (i >= 0) {
        m_entries[i].second = value;
    } else {
        m_entries.append({name, value});
    }
}

bool ButtonPropertyBag::contains(const QString &name) const
{
    return indexOf(name) >= 0;
}

QVariant ButtonPropertyBag::read(const QString &name, const QVariant &defaultValue) const
{
    const qsizetype i = indexOf(name);
    return i >= 0 ? m_entries.at(i).second : defaultValue;
}

QStringList ButtonPropertyBag::names() const
{
    QStringList list;
    list.reserve(m_entries.size());
    for (const auto &entry : m_entries) {
        list.append(entry.first);
    }
    return list;
}
