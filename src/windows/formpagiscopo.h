#pragma once

#include <QWidget>

class Platform;
class Downloader;
class PictureBox;
class QComboBox;
class QLineEdit;

// The main window. It owns the controls and the viewing state and wires the controls' events to
// the handlers; the handlers themselves live with their subsystems (viewer/, navigation/, ...).
class formpagiscopo : public QWidget
{
    Q_OBJECT

public:
    // `serverBase` is scheme://host[:port] of the teletext server. Runs Form_Load, so the first
    // page is loaded (or asked about) before the constructor returns.
    formpagiscopo(Platform &platform, Downloader &downloader, const QString &serverBase, QWidget *parent = nullptr);
    ~formpagiscopo() override;

    // Controls, under the names the rest of the program knows them by.
    PictureBox *Picture1 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLineEdit *pagpagiscopo = nullptr;
    QComboBox *numsottopag = nullptr;

    bool searchForward = false;
    bool autoRefreshOn = true;

    // Page loader (viewer/LoadPage.cpp).
    void LoadPage();

    // Start-up and shutdown (viewer/FormLifecycle.cpp).
    void Form_Load();
    void Combo1_Click();
    void Form_Unload(qint16 &Cancel);

    QString subpageText() const;
    void setSubpageText(const QString &text);

    Platform &platform() const { return m_platform; }
    const QString &serverBase() const { return m_serverBase; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Attempt { Found, Missing, Unreachable };
    Attempt attemptLoad(qint64 threshold);
    void searchForPage();
    void removePageImageFile() const;
    void buildLayout();

    Platform &m_platform;
    Downloader &m_downloader;
    QString m_serverBase;
    bool m_closing = false;
};
