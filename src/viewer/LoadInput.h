#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// What the keyboard and mouse do to the main window while a page loads. Installed on the
// application once, for the window's whole life (a filter installed while an event is being
// delivered would be shown that same event again).
//
// While a download or a page search runs, input meant for the program's windows is held and
// handed back, in its order, when it ends; Escape is taken at once, as the way out of the wait.
// Holds nest (a load started inside another's wait): the input comes back when the outermost
// ends, and Escape goes to the innermost. A dialog that opens during a hold (a nested load's
// question) gets its own input, Escape included.
class LoadInput : public QObject
{
public:
    LoadInput();
    ~LoadInput() override;

    void beginHold(std::function<void()> onEscape);
    // Posts the held input back to its windows, behind whatever is queued already, once the
    // outermost hold ends.
    void endHold();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool newDialogShown() const;
    bool belongsToNewDialog(QWindow *window) const;
    void escape();

    std::vector<std::function<void()>> m_onEscape; // one per hold, innermost last
    QPointer<QWindow> m_modalAtHold;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> m_held;
};
