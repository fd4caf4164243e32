#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// The stored properties of one button: named values whose names match without regard to case
// (the windows' stored data holds them in lower case). Writing a name again replaces its value
// and keeps its place, so a saved bag lists its keys in the order they were first written.
class ButtonPropertyBag
{
public:
    void write(const QString &name, const QVariant &value);
    bool contains(const QString &name) const;
    // The stored value, or defaultValue when the name is missing.
    QVariant read(const QString &name, const QVariant &defaultValue = {}) const;
    QStringList names() const;
    bool isEmpty() const { return m_entries.isEmpty(); }

private:
    qsizetype indexOf(const QString &name) const;

    QList<std::pair<QString, QVariant>> m_entries;
};
