#pragma once

#include "viewer/PageLoader.h"

#include <QWidget>

#include <functional>
#include <memory>

class Platform;
class Downloader;
class Reader;
class PageTextView;
class PictureBox;
class PictureButton;
class Skinner;
class WrappingCheckBox;
class customButton;
class QComboBox;
class Frame;
class QLabel;
class QLineEdit;
class QTimer;

// The main window. It owns the controls and the viewing state and wires the controls' events to
// the handlers; the handlers themselves live with their subsystems (navigation/, favourites/, ...).
// Pages reach it through its page loader, to which it lends its controls' texts and its picture
// box (windows/FormLifecycle.cpp).
class formpagiscopo : public QWidget, private PageLoaderHost
{
    Q_OBJECT

public:
    // `serverBase` is scheme://host[:port] of the teletext server. Runs Form_Load, so the first
    // page is loaded (or asked about) before the constructor returns.
    formpagiscopo(Platform &platform, Downloader &downloader, const QString &serverBase, QWidget *parent = nullptr);
    // The same, running `beforeFormLoad` once the controls exist and before the first page loads,
    // so that whoever may close the window (a signal watcher) knows of it during start-up.
    // `firstPage`, when given, is the download of firstPageAddress() already under way; the first
    // load takes its answer.
    formpagiscopo(Platform &platform, Downloader &downloader, const QString &serverBase,
                  const std::function<void(formpagiscopo &)> &beforeFormLoad,
                  std::unique_ptr<EarlyDownload> firstPage = {}, QWidget *parent = nullptr);
    // The address of the page the window shows first.
    static QByteArray firstPageAddress(const QString &serverBase);
    ~formpagiscopo() override;

    // True once the window has been closed. A close during start-up (the first page still loading)
    // leaves a window that must not be shown.
    bool isClosing() const { return m_loader->isClosing(); }

    // Controls, under the names the rest of the program knows them by (windows/formpagiscopo.cpp).
    PictureBox *Picture1 = nullptr;
    customButton *About = nullptr;
    QComboBox *Combo1 = nullptr;
    Frame *Frame2 = nullptr;
    customButton *sport = nullptr;
    customButton *ultime = nullptr;
    customButton *Tv = nullptr;
    customButton *libero = nullptr;
    customButton *tvoggi = nullptr;
    customButton *ultimaora = nullptr;
    customButton *calcio = nullptr;
    QTimer *Timer2 = nullptr;
    QTimer *Timer1 = nullptr;
    QComboBox *numsottopag = nullptr;
    PictureButton *indietro = nullptr;
    PictureButton *avanti = nullptr;
    QLineEdit *pagpagiscopo = nullptr;
    Skinner *Skinner1 = nullptr;
    Frame *Frame1 = nullptr;
    WrappingCheckBox *Check1 = nullptr;
    WrappingCheckBox *scorri1 = nullptr;
    customButton *Refresh1 = nullptr;
    customButton *traybar1 = nullptr;
    customButton *soloimma = nullptr;
    Frame *Frame3 = nullptr;
    customButton *nextsottopag = nullptr;
    customButton *backsottopag = nullptr;
    customButton *vai = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label3 = nullptr;

    // The window sees every character before the focused control while this is on.
    bool KeyPreview = true;

    // windows/FormLifecycle.cpp: start-up and shutdown, and the page loader's road into the window.
    bool searchForward = false;
    bool autoRefreshOn = true;
    void LoadPage();
    // The same load for the timers: nobody asked for it, so a missing page is not asked about and
    // not searched for; the picture stays as it is.
    void LoadPageUnattended();
    // Whether a page load is under way (a question or the page search may be waiting in it).
    bool loadRunning() const { return m_loader->isLoading(); }
    // Says what each load showed; the window's own part is to lend it the controls.
    PageLoader &pageLoader() const { return *m_loader; }
    void Form_Load();
    void Combo1_Click();
    void Form_Unload(qint16 &Cancel);
    QString subpageText() const override;
    void setSubpageText(const QString &text) override;

    // navigation/: the six commands that step pages and subpages.
    void avanti_Click();
    void indietro_Click();
    void nextsottopag_Click();
    void backsottopag_Click();
    void vai_Click();
    void numsottopag_Click();

    // favourites/: the seven favourite buttons and their slot files (1 libero, 2 tvoggi, 3 Tv,
    // 4 ultime, 5 ultimaora, 6 sport, 7 calcio).
    void OpenFavourite(int slot);
    void EditFavourite(int slot);
    void ReadFavouriteCaptions();
    customButton *favouriteButton(int slot) const; // nullptr for any other number
    // The slot (1 to 7) that the assign dialog writes; set by EditFavourite just before the dialog
    // opens. Starts at 0 and is never reset.
    qint16 assignSlot = 0;
    QString favouriteFilePath(int slot) const;
    void libero_Click();
    void tvoggi_Click();
    void Tv_Click();
    void ultime_Click();
    void ultimaora_Click();
    void sport_Click();
    void calcio_Click();
    void libero_KeyPress(short &KeyAscii);
    void tvoggi_KeyPress(short &KeyAscii);
    void Tv_KeyPress(short &KeyAscii);
    void ultime_KeyPress(short &KeyAscii);
    void ultimaora_KeyPress(short &KeyAscii);
    void sport_KeyPress(short &KeyAscii);
    void calcio_KeyPress(short &KeyAscii);

    // navigation/Keyboard.cpp: the keyboard. KeyAscii is the character typed; a handler that sets
    // it to 0 discards it.
    void Form_KeyPress(short &KeyAscii);
    void pagpagiscopo_KeyPress(short &KeyAscii);
    void numsottopag_KeyPress(short &KeyAscii);
    void pagpagiscopo_GotFocus();
    void pagpagiscopo_LostFocus();
    void numsottopag_GotFocus();
    void numsottopag_LostFocus();

    // modes/Timers.cpp: auto-refresh and subpage auto-scroll.
    void Timer1_Timer();
    void Refresh1_Click();
    void scorri1_Click();
    void Timer2_Timer();
    void scorri1_KeyPress(short &KeyAscii);
    // The auto-scroll interval last set in the interval dialog, in milliseconds; 0 while never set.
    // Wide enough for every interval the dialog's three digits can give (999 s).
    qint64 scrollIntervalMs = 0;

    // modes/AboutWindow.cpp
    void About_Click();

    // modes/WindowModes.cpp: always on top, the notification area, image-only mode.
    void Check1_Click();
    void MakeTopMost(QWidget *window);
    void MakeNormal(QWidget *window);
    void traybar1_Click();
    void minimize_to_tray();
    // The notification-area icon reports its mouse messages here, the message number times the
    // twips of a pixel standing in X.
    void Form_MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    void soloimma_Click();
    // The tip shown over the icon; set when the icon is added, empty until then.
    QString trayIconData;

    // reader/: back and forward through the pages shown, the picture's menu, copy, save, zoom.
    Reader &reader() const { return *m_reader; }
    // text/: the page's text, its links and "Copia testo".
    PageTextView &textView() const { return *m_pageText; }

    Platform &platform() const { return m_platform; }
    const QString &serverBase() const { return m_serverBase; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // PageLoaderHost
    QString editionText() const override;
    QString pageText() const override;
    void setPageText(const QString &text) override;
    void clearPicture() override;
    void showPicture(QImage picture) override;
    void repaintPicture() override;
    void showNotice(const QString &text) override;
    bool isShown() const override;
    void showWhileWaiting() override;
    QWidget *questionParent() override;
    bool searchesForward() const override { return searchForward; }

    // The client area with every control shown; the window manager draws the frame around it.
    static constexpr int kFullWidthTwips = 7785;
    static constexpr int kFullHeightTwips = 7035;

    void buildLayout();
    void connectControls();
    void connectKeyboard();
    void connectSubpageList();
    bool skipTickDuringLoad(const char *timer) const;

    Platform &m_platform;
    QString m_serverBase;
    bool m_destroying = false;
    std::unique_ptr<PageLoader> m_loader;
    std::unique_ptr<Reader> m_reader;
    std::unique_ptr<PageTextView> m_pageText;
};
