#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// What the keyboard and mouse do to the main window while a page loads. Installed on the
// application once, for the window's whole life (a filter installed while an event is being
// delivered would be shown that same event again).
//
// - While a download runs, input meant for the program's windows is held and handed back, in its
//   order, when the download ends; Escape is taken at once, as the way out of the wait.
// - While a page search runs, Escape is taken as the request to stop it.
class LoadInput : public QObject
{
public:
    LoadInput();
    ~LoadInput() override;

    void beginHold(std::function<void()> onEscape);
    // Posts the held input back to its windows, behind whatever is queued already.
    void endHold();

    void searchStarted() { ++m_searches; }
    void searchEnded() { --m_searches; }
    // Whether Escape was pressed since the last call, outside any dialog.
    bool takeEscape() { return std::exchange(m_escapePressed, false); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_holding = false;
    std::function<void()> m_onEscape;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> m_held;
    int m_searches = 0;
    bool m_escapePressed = false;
};
